// Picture macros on a large drawing: time, CPU and bytes of the whole-drawing
// picture and all layer pictures, three ways in the same run: as the drawing
// asks (its linetypes, lineweight display and hatch patterns), plain (no
// linetypes, no lineweights, pattern hatches as outlines: what the renderer
// drew before it knew them), and with every pattern and weight drawn
// ($LTSCALE raised until the dashes are coarse enough to draw, lineweight
// display on). Then playing a layer picture into a tile-sized image against
// wmf2svg converting it, and ezdxf's drawing add-on drawing the whole drawing
// once through its fastest raster backend (CPU), all measured in the same run.
//
//   pictures_bench [big.dxf]   (default /tmp/kasanemi-bench/big.dxf; make it with
//   /usr/bin/python3 ../shared/tools/gen_dxf.py --layers 500 --entities 200000 --seed 2
//       --version R2018 --out /tmp/kasanemi-bench/big.dxf)
//   Set KASANEMI_BENCH_NO_EZDXF=1 to leave ezdxf out (it takes about ten minutes).

#include "cad/dxf/DxfLoader.h"
#include "cad/macros/PictureMacros.h"
#include "metafile/WmfPicture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

double cpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// Average milliseconds to play `picture` into a fresh 200 x 200 image.
double playMilliseconds(const metafile::WmfPicture& picture, int runs)
{
    QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i) {
        image.fill(Qt::white);
        QPainter painter(&image);
        picture.draw(painter, QRectF(0, 0, 200, 200));
    }
    return timer.nsecsElapsed() / 1e6 / runs;
}

/// Average milliseconds for wmf2svg to convert `path`, or -1 without it.
double wmf2svgMilliseconds(const QString& path, const QString& out, int runs)
{
    if (!QFile::exists("/usr/bin/wmf2svg"))
        return -1;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i) {
        QProcess convert;
        convert.start("/usr/bin/wmf2svg", {"-o", out, path});
        if (!convert.waitForFinished(120000) || convert.exitCode() != 0)
            return -1;
    }
    return timer.nsecsElapsed() / 1e6 / runs;
}

struct Run {
    double wholeMs = 0, layersMs = 0, cpu = 0;
    qint64 wholeBytes = 0, layerBytes = 0;
    int files = 0;
    double totalMs() const { return wholeMs + layersMs; }
    qint64 totalBytes() const { return wholeBytes + layerBytes; }
};

/// all.wmf and every layer picture, as pu_subMakeWMF_All and _AllLayer write them.
Run makePictures(const cad::Drawing& drawing, const QString& folder)
{
    Run run;
    const double cpu = cpuSeconds();
    QElapsedTimer timer;
    timer.start();
    const auto whole = cad::macros::writeDrawingPicture(drawing, folder + "/SYS/all.wmf");
    run.wholeMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    const auto layers = cad::macros::writeLayerPictures(drawing, folder, cad::macros::LayerChoice::AllLayers);
    run.layersMs = timer.nsecsElapsed() / 1e6;
    run.cpu = cpuSeconds() - cpu;
    run.wholeBytes = whole.bytes;
    run.layerBytes = layers.bytes;
    run.files = layers.files;
    return run;
}

void print(const char* name, const Run& r)
{
    std::printf("%-34s all.wmf %6.0f ms %9lld B | %d layers %6.0f ms %9lld B | total %6.0f ms, cpu %5.2f s, %6.1f MB\n",
                name, r.wholeMs, (long long)r.wholeBytes, r.files, r.layersMs, (long long)r.layerBytes, r.totalMs(),
                r.cpu, r.totalBytes() / 1e6);
}

/// ezdxf's read and draw CPU seconds for the whole drawing, or {-1, -1}.
std::pair<double, double> ezdxfCpu(const QString& dxf, const QString& png)
{
    const QString script = QString::fromUtf8(KASANEMI_SOURCE_DIR) + QStringLiteral("/tests/cad/render/ezdxf_compare.py");
    QProcess python;
    python.start("/usr/bin/python3", {script, "cpu", dxf, png, "1600"});
    if (!python.waitForFinished(3600 * 1000) || python.exitCode() != 0)
        return {-1, -1};
    const QString out = QString::fromUtf8(python.readAllStandardOutput());
    const auto m = QRegularExpression(R"(read ([\d.]+) s, draw ([\d.]+) s)").match(out);
    return m.hasMatch() ? std::pair{m.captured(1).toDouble(), m.captured(2).toDouble()} : std::pair{-1.0, -1.0};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString dxf = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/kasanemi-bench/big.dxf");
    if (!QFile::exists(dxf)) {
        std::fprintf(stderr, "pictures_bench: %s not found (see the comment at the top of the source)\n", qPrintable(dxf));
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    cad::Drawing drawing = cad::dxf::loadDxfFile(dxf).drawing;
    const double loadMs = timer.elapsed();
    // As a refresh does before its pictures: every layer but the current one on and thawed.
    const int current = drawing.findLayer(drawing.clayer);
    for (int i = 0; i < int(drawing.layers.size()); ++i)
        if (i != current) {
            drawing.layers[std::size_t(i)].on = true;
            drawing.layers[std::size_t(i)].frozen = false;
        }
    std::size_t patterned = 0;
    for (const auto& layer : drawing.layers) {
        const int lt = drawing.findLinetype(layer.linetype);
        patterned += lt >= 0 && !drawing.linetypePatterns[std::size_t(lt)].empty();
    }
    std::printf("drawing: %s, %zu layers (%zu with a dashed linetype), %zu entities, $LTSCALE %g, $LWDISPLAY %d, "
                "loaded in %.0f ms\n",
                qPrintable(QFileInfo(dxf).fileName()), drawing.layers.size(), patterned, drawing.entities.size(),
                drawing.linetypeScale, int(drawing.lineweightDisplay), loadMs);

    QTemporaryDir dir;
    const QString folder = dir.filePath("LAYER");
    const Run asDrawn = makePictures(drawing, folder);

    cad::Drawing plain = drawing;
    for (auto& pattern : plain.linetypePatterns)
        pattern = {};
    plain.lineweightDisplay = false;
    for (auto& e : plain.entities)
        if (auto* hatch = std::get_if<cad::HatchGeom>(&e.geometry))
            hatch->patternLines.clear();
    const Run plainRun = makePictures(plain, dir.filePath("PLAIN"));

    // Text-heavy: every text leads with the diameter sign, which no code page
    // holds, so a piece of every text becomes glyph outlines; against the
    // same texts with the slashed O a code page holds.
    auto prefixed = [&drawing](QChar sign) {
        cad::Drawing d = drawing;
        for (auto& e : d.entities) {
            if (auto* text = std::get_if<cad::TextGeom>(&e.geometry))
                text->text.prepend(sign);
            else if (auto* mtext = std::get_if<cad::MTextGeom>(&e.geometry))
                mtext->text.prepend(sign);
        }
        return d;
    };
    const Run outlinedRun = makePictures(prefixed(QChar(0x2205)), dir.filePath("OUTLINED"));
    const Run lettersRun = makePictures(prefixed(QChar(0xD8)), dir.filePath("LETTERS"));

    cad::Drawing shown = std::move(plain);
    shown.linetypePatterns = drawing.linetypePatterns;
    shown.linetypeScale = drawing.linetypeScale * 25; // a dashed repetition of about 19 drawing units
    shown.lineweightDisplay = true;
    const Run shownRun = makePictures(shown, dir.filePath("SHOWN"));
    shown = {};

    print("as drawn:", asDrawn);
    print("plain (no linetypes or weights):", plainRun);
    print("dashes and weights shown:", shownRun);
    std::printf("ratio as drawn / plain:             time %.2f  size %.2f   target <= 2 each\n",
                asDrawn.totalMs() / plainRun.totalMs(), double(asDrawn.totalBytes()) / plainRun.totalBytes());
    std::printf("ratio dashes shown / plain:         time %.2f  size %.2f\n", shownRun.totalMs() / plainRun.totalMs(),
                double(shownRun.totalBytes()) / plainRun.totalBytes());
    print("texts led by the diameter sign:", outlinedRun);
    print("texts led by the letter O-slash:", lettersRun);
    std::printf("ratio sign as outlines / letter:    time %.2f  size %.2f   target size <= 1.5\n",
                outlinedRun.totalMs() / lettersRun.totalMs(), double(outlinedRun.totalBytes()) / lettersRun.totalBytes());
    std::printf("peak memory:                      %8.0f MB\n", peakMegabytes());

    // A typical layer picture: the one of median size.
    QFileInfoList files = QDir(folder).entryInfoList({"*.wmf"}, QDir::Files, QDir::Size);
    const QFileInfo median = files.at(files.size() / 2);
    metafile::WmfPicture layerPicture, wholePicture;
    layerPicture.load(median.filePath());
    wholePicture.load(folder + "/SYS/all.wmf");
    const double playLayerMs = playMilliseconds(layerPicture, 200);
    const double playWholeMs = playMilliseconds(wholePicture, 3);
    const double peerLayerMs = wmf2svgMilliseconds(median.filePath(), dir.filePath("peer.svg"), 20);
    std::printf("play a layer picture (%lld bytes) into 200x200: %.3f ms   target < 5 ms\n",
                (long long)median.size(), playLayerMs);
    std::printf("play all.wmf into 200x200:                     %.1f ms\n", playWholeMs);
    if (peerLayerMs > 0)
        std::printf("peer wmf2svg, same layer picture:              %.1f ms  (ratio peer/ours %.0fx)\n", peerLayerMs,
                    peerLayerMs / playLayerMs);

    if (qEnvironmentVariable("KASANEMI_BENCH_NO_EZDXF") != "1") {
        const auto [readCpu, drawCpu] = ezdxfCpu(dxf, dir.filePath("ezdxf.png"));
        if (drawCpu > 0)
            std::printf("peer ezdxf (Pillow backend) drawing the whole drawing once: cpu %.1f s (reading it %.1f s more); ours for "
                        "all.wmf and %d layer pictures: cpu %.2f s; ratio %.0fx   target > 100x\n",
                        drawCpu, readCpu, asDrawn.files, asDrawn.cpu, drawCpu / asDrawn.cpu);
        else
            std::printf("peer ezdxf: not available\n");
    }
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) == 3)
        std::printf("load average: %.2f %.2f %.2f on %d cores\n", load[0], load[1], load[2], QThread::idealThreadCount());
    return 0;
}
