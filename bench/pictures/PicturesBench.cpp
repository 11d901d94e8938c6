// Picture macros on a large drawing: time and bytes of the whole-drawing and
// all-layer pictures, peak memory, and playing a layer picture into a
// tile-sized image, against wmf2svg converting the same files (measured in
// the same run).
//
//   pictures_bench [big.dxf]   (default /tmp/kasanemi-bench/big.dxf; make it with
//   /usr/bin/python3 ../shared/tools/gen_dxf.py --layers 500 --entities 200000 --seed 2
//       --version R2018 --out /tmp/kasanemi-bench/big.dxf)

#include "cad/CadDocument.h"
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
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
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
    auto document = cad::CadDocument::open(dxf);
    const double loadMs = timer.elapsed();
    // As a refresh does before its pictures: every layer but the current one on and thawed.
    for (int i = 0; i < document->layerCount(); ++i)
        if (i != document->currentLayer()) {
            document->setLayerFrozen(i, false);
            document->setLayerOn(i, true);
        }
    const cad::Drawing& drawing = document->drawing();

    QTemporaryDir dir;
    const QString folder = dir.filePath("LAYER");
    timer.restart();
    const auto whole = cad::macros::writeDrawingPicture(drawing, folder + "/SYS/all.wmf");
    const double wholeMs = timer.elapsed();
    timer.restart();
    const auto layers = cad::macros::writeLayerPictures(drawing, folder, cad::macros::LayerChoice::AllLayers);
    const double layersMs = timer.elapsed();

    // A typical layer picture: the one of median size.
    QFileInfoList files = QDir(folder).entryInfoList({"*.wmf"}, QDir::Files, QDir::Size);
    const QFileInfo median = files.at(files.size() / 2);
    metafile::WmfPicture layerPicture, wholePicture;
    layerPicture.load(median.filePath());
    wholePicture.load(folder + "/SYS/all.wmf");
    const double playLayerMs = playMilliseconds(layerPicture, 200);
    const double playWholeMs = playMilliseconds(wholePicture, 3);
    const double peerLayerMs = wmf2svgMilliseconds(median.filePath(), dir.filePath("peer.svg"), 20);
    const double peerWholeMs = wmf2svgMilliseconds(folder + "/SYS/all.wmf", dir.filePath("peer.svg"), 1);

    std::printf("drawing: %s, %zu layers, %zu entities, loaded in %.0f ms\n", qPrintable(QFileInfo(dxf).fileName()),
                drawing.layers.size(), drawing.entities.size(), loadMs);
    std::printf("whole-drawing picture (all.wmf):  %8.0f ms  %10lld bytes\n", wholeMs, (long long)whole.bytes);
    std::printf("all-layer pictures (%d files):   %8.0f ms  %10lld bytes   target < 2000 ms\n", layers.files,
                layersMs, (long long)layers.bytes);
    std::printf("peak memory:                      %8.0f MB\n", peakMegabytes());
    std::printf("play a layer picture (%lld bytes) into 200x200: %.3f ms   target < 5 ms\n",
                (long long)median.size(), playLayerMs);
    std::printf("play all.wmf into 200x200:                     %.1f ms\n", playWholeMs);
    if (peerLayerMs > 0) {
        std::printf("peer wmf2svg, same layer picture:              %.1f ms  (ratio peer/ours %.0fx)\n", peerLayerMs,
                    peerLayerMs / playLayerMs);
        std::printf("peer wmf2svg, all.wmf:                         %.0f ms  (ratio peer/ours %.1fx)\n", peerWholeMs,
                    peerWholeMs / playWholeMs);
    }
    return 0;
}
