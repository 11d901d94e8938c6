// How the work of a refresh grows with the number of layers: for drawings of
// 1,000, 10,000 and 100,000 layers (one line on each, every layer off), the
// time to switch every layer on (as --pictures does), to apply a batch of one
// write a layer by its name (as the refresh sends it over the bus) and to
// write the pictures (the whole drawing and one a layer), against loading the
// same drawing, the peer that grows with the file alone. Each figure's growth per tenfold of layers
// is printed beside it; linear work grows about 10x, the goal is at most 12x.
// Figures are CPU seconds of this process: on a machine shared by many, wall
// time of a long step also counts the time others had the cores, which makes
// any long step look superlinear.
//
//   layer_growth_bench [largest]   (default 100000)

#include "acad/LayerStates.h"
#include "acad/LayerWrites.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalApplication.h"
#include "cad/macros/PictureMacros.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

QByteArray drawingOf(int layers)
{
    QByteArray text = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n9\n$CLAYER\n8\n0\n0\nENDSEC\n"
                      "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n";
    for (int i = 1; i < layers; ++i)
        text += "0\nLAYER\n2\n画層" + QByteArray::number(i) + "\n70\n0\n62\n-" + QByteArray::number(1 + i % 250)
                + "\n6\nCONTINUOUS\n";
    text += "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 1; i < layers; ++i)
        text += "0\nLINE\n8\n画層" + QByteArray::number(i) + "\n10\n" + QByteArray::number(i % 1000) + "\n20\n"
                + QByteArray::number(i / 1000) + "\n11\n" + QByteArray::number(i % 1000 + 0.8) + "\n21\n"
                + QByteArray::number(i / 1000 + 0.8) + "\n";
    return text + "0\nENDSEC\n0\nEOF\n";
}

/// CPU time of this process; restart() and elapsed() in the manner of QElapsedTimer.
class CpuTimer {
public:
    void start() { m_start = now(); }
    void restart() { start(); }
    double seconds() const { return now() - m_start; }

private:
    static double now()
    {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
    }
    double m_start = 0;
};

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("unknown");
}

struct Figures {
    int layers = 0;
    double loadSeconds = 0, switchSeconds = 0, batchSeconds = 0, picturesSeconds = 0;
};

Figures measure(int layers, const QTemporaryDir& work)
{
    Figures f;
    f.layers = layers;
    const QString path = work.filePath(QStringLiteral("layers%1.dxf").arg(layers));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(drawingOf(layers)) < 0 || !out.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    out.close();

    CpuTimer timer;
    timer.start();
    std::shared_ptr<cad::CadDocument> document(cad::CadDocument::open(path));
    f.loadSeconds = timer.seconds();

    // Each figure is the best of three runs, the layers put back off between
    // them (untimed): the machine is shared, and the least disturbed run is
    // the one that tells how the work grows.
    cad::LocalApplication host(document);
    auto allOff = [&] {
        for (int i = 1; i < document->layerCount(); ++i)
            document->setLayerOn(i, false);
    };
    f.switchSeconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        allOff();
        timer.restart();
        acad::switchLayersOnAndThawed(*host.activeDocument());
        f.switchSeconds = std::min(f.switchSeconds, timer.seconds());
    }

    acad::LayerWrites writes;
    for (int i = 0; i < document->layerCount(); ++i)
        writes.push_back(acad::LayerWrite::on(document->layer(i).name, true));
    f.batchSeconds = 1e9;
    for (int run = 0; run < 3; ++run) {
        allOff();
        timer.restart();
        host.activeDocument()->setLayerProperties(writes, acad::OnRefusal::Stop);
        f.batchSeconds = std::min(f.batchSeconds, timer.seconds());
    }

    const QString pictures = work.filePath(QStringLiteral("pictures%1").arg(layers));
    timer.restart();
    cad::macros::writeDrawingPicture(document->drawing(), pictures + QStringLiteral("/SYS/all.wmf"));
    cad::macros::writeLayerPictures(document->drawing(), pictures, cad::macros::LayerChoice::AllLayers);
    f.picturesSeconds = timer.seconds();
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const int largest = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir work;
    std::printf("load average before: %s\n", loadAverage().constData());
    std::printf("%8s  %10s %6s  %10s %6s  %10s %6s  %10s %6s\n", "layers", "load s", "x", "switch s", "x",
                "batch s", "x", "pictures s", "x");
    std::printf("(CPU seconds of this process; x: growth per tenfold of layers)\n");
    std::vector<Figures> rows;
    for (int layers = 1000; layers <= largest; layers *= 10) {
        rows.push_back(measure(layers, work));
        const Figures& now = rows.back();
        const Figures* before = rows.size() > 1 ? &rows[rows.size() - 2] : nullptr;
        auto growth = [&](double Figures::*figure) {
            return before && before->*figure > 0 ? now.*figure / (before->*figure) : 0.0;
        };
        std::printf("%8d  %10.3f %6.1f  %10.3f %6.1f  %10.3f %6.1f  %10.3f %6.1f\n", now.layers, now.loadSeconds,
                    growth(&Figures::loadSeconds), now.switchSeconds, growth(&Figures::switchSeconds),
                    now.batchSeconds, growth(&Figures::batchSeconds), now.picturesSeconds,
                    growth(&Figures::picturesSeconds));
        std::fflush(stdout);
    }
    // Against the peer: loading is linear by construction, so its growth on
    // this machine at this load shows what linear work costs here.
    if (rows.size() >= 2) {
        const Figures& a = rows[rows.size() - 2];
        const Figures& b = rows.back();
        const double peer = b.loadSeconds / a.loadSeconds;
        std::printf("last tenfold, growth over the peer's (loading, %.1fx): switch %.2f, batch %.2f, pictures %.2f\n",
                    peer, b.switchSeconds / a.switchSeconds / peer, b.batchSeconds / a.batchSeconds / peer,
                    b.picturesSeconds / a.picturesSeconds / peer);
    }
    std::printf("load average after: %s\n", loadAverage().constData());
    std::printf("x: growth per tenfold of layers (linear work ~10, goal <= 12)\n");
    return 0;
}
