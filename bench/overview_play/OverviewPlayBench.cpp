// The overview's play of all.wmf: today's player beside the one this round
// began from (PreviousPlayer, taken from git), played alternately in one run
// so that both see the same load. At the overview's size (164 px) and at 400
// and 1,600 px, and zoomed in four times about a point off the centre, as
// the overview shows a zoomed drawing. Each pair of pictures is compared
// pixel by pixel: a faster play must not change what the user sees.
//
//   overview_play_bench [all.wmf | drawing.dxf]
//   (default /tmp/kasanemi-bench/big.dxf, the standard drawing; a drawing's
//   all.wmf is written as a refresh writes it, every layer but the current
//   one switched on)

#include "PreviousPlayer.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/macros/PictureMacros.h"
#include "metafile/WmfPicture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

void printLoad(const char* when)
{
    double load[3] = {0, 0, 0};
    if (getloadavg(load, 3) == 3)
        std::printf("load average %s: %.2f %.2f %.2f\n", when, load[0], load[1], load[2]);
}

/// One view of the picture: an image of `pixels` showing the picture drawn
/// into `target` (larger than the image when zoomed in).
struct View {
    const char* name;
    int pixels;
    QRectF target;
    int rounds;
};

struct Play {
    QImage image;
    double wallMs = 0, cpuMs = 0;
};

template <typename Picture>
Play play(const Picture& picture, const View& view)
{
    Play result;
    result.image = QImage(view.pixels, view.pixels, QImage::Format_ARGB32_Premultiplied);
    result.image.fill(Qt::white);
    QPainter painter(&result.image);
    painter.setRenderHint(QPainter::Antialiasing);  // as the overview's own paint does
    QElapsedTimer wall;
    wall.start();
    const double cpu = threadCpuMs();
    picture.draw(painter, view.target);
    result.cpuMs = threadCpuMs() - cpu;
    result.wallMs = double(wall.nsecsElapsed()) / 1e6;
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Pixels that differ, and the largest difference in any channel.
std::pair<long, int> difference(const QImage& a, const QImage& b)
{
    long pixels = 0;
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            if (pa[x] == pb[x])
                continue;
            ++pixels;
            largest = std::max({largest, std::abs(qRed(pa[x]) - qRed(pb[x])), std::abs(qGreen(pa[x]) - qGreen(pb[x])),
                                std::abs(qBlue(pa[x]) - qBlue(pb[x])), std::abs(qAlpha(pa[x]) - qAlpha(pb[x]))});
        }
    }
    return {pixels, largest};
}

QString allPictureOf(const QString& dxf, const QTemporaryDir& dir)
{
    cad::Drawing drawing = cad::dxf::loadDxfFile(dxf).drawing;
    const int current = drawing.findLayer(drawing.clayer);
    for (int i = 0; i < int(drawing.layers.size()); ++i)
        if (i != current) {
            drawing.layers[std::size_t(i)].on = true;
            drawing.layers[std::size_t(i)].frozen = false;
        }
    const QString path = dir.filePath(QStringLiteral("all.wmf"));
    cad::macros::writeDrawingPicture(drawing, path);
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString input = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/kasanemi-bench/big.dxf");
    if (!QFile::exists(input)) {
        std::fprintf(stderr, "overview_play_bench: %s not found (see the comment at the top of the source)\n",
                     qPrintable(input));
        return 2;
    }
    QTemporaryDir dir;
    const QString path = input.endsWith(QStringLiteral(".wmf"), Qt::CaseInsensitive) ? input : allPictureOf(input, dir);
    metafile::WmfPicture today;
    PreviousPicture previous;
    if (!today.load(path) || !previous.load(path)) {
        std::fprintf(stderr, "overview_play_bench: %s cannot be played\n", qPrintable(path));
        return 1;
    }
    std::printf("picture: %s, %lld bytes\n", qPrintable(path), static_cast<long long>(QFile(path).size()));
    printLoad("at the start");

    // Zoomed four times about a point a quarter in from the top left.
    const View views[] = {
        {"overview 164 px", 164, QRectF(0, 0, 164, 164), 9},
        {"400 px", 400, QRectF(0, 0, 400, 400), 5},
        {"1,600 px", 1600, QRectF(0, 0, 1600, 1600), 3},
        {"164 px zoomed 4x", 164, QRectF(-123, -123, 656, 656), 9},
    };
    bool same = true;
    for (const View& view : views) {
        std::vector<double> wallToday, cpuToday, wallBefore, cpuBefore;
        std::pair<long, int> diff{0, 0};
        for (int round = 0; round < view.rounds; ++round) {
            // Alternately, each starting every other round, so that neither
            // always has the warmer caches.
            Play a, b;
            if (round % 2) {
                a = play(today, view);
                b = play(previous, view);
            } else {
                b = play(previous, view);
                a = play(today, view);
            }
            wallToday.push_back(a.wallMs);
            cpuToday.push_back(a.cpuMs);
            wallBefore.push_back(b.wallMs);
            cpuBefore.push_back(b.cpuMs);
            if (round == 0)
                diff = difference(a.image, b.image);
        }
        same = same && diff.first == 0;
        std::printf("%-18s ours %7.1f ms (CPU %7.1f)  previous player %7.1f ms (CPU %7.1f)  ratio CPU %.2f  "
                    "median of %d; pixels differing %ld (largest step %d)\n",
                    view.name, median(wallToday), median(cpuToday), median(wallBefore), median(cpuBefore),
                    median(cpuToday) / median(cpuBefore), view.rounds, diff.first, diff.second);
    }
    std::printf("target: the overview at 164 px in <= 120 ms, with the same pixels as before\n");
    printLoad("at the end");
    return same ? 0 : 1;
}
