// Refresh and re-layout figures of the viewer.
//
//   viewer_refresh_bench [--work DIR] BIG.dxf MANY_LAYERS.dxf
//
// BIG.dxf: the standard large drawing (500 layers, 200,000 entities). The
// refresh runs end to end three ways: the picture macros alone in the host
// (the peer: the host's share), the whole refresh with the host in process
// (host + viewer), and the whole refresh over the session bus against a
// running kasanemi-cad (host + bus + viewer, when a bus is there). The
// differences give the viewer's and the bus's shares.
//
// Memory: the heap a refresh leaves behind (glibc's count of bytes in use,
// taken before and after it), less the picture files the tiles and overviews
// hold, a tile; over the bus the process holds the viewer alone.
//
// MANY_LAYERS.dxf: a drawing with about 2,000 layers. After a refresh the
// window is resized and scrolled; each re-layout is timed against the peer
// of moving the same frames directly, and the tile pictures painted by one
// full repaint are counted against the tiles that exist.

#include "acad/FixedHostConnector.h"
#include "acad/AcadError.h"
#include "acad/LayerStates.h"
#include "acad/PictureProtocol.h"
#include "acad/dbus/BusHostConnector.h"
#include "acad/dbus/BusSurface.h"
#include "app/DeferredRemoval.h"
#include "app/ProgramFolder.h"
#include "MacroProject.h"
#include "common/FileSystemOf.h"
#include "app/RecordingUserInterface.h"
#include "cad/MacroRegistry.h"
#include "cad/local/LocalApplication.h"
#include "cad/macros/PictureMacros.h"
#include "metafile/WmfPicture.h"
#include "tile/WmfImage.h"
#include "viewer/FrmWMF.h"
#ifdef KASANEMI_PREVIOUS_PLAYER
#include "PreviousPlayer.h"
#endif

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {


/// Counts paint events of tile pictures.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<tile::WmfImage*>(watched))
            ++paints;
        return false;
    }
};

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

/// Milliseconds spent in the host's picture macros since the last reset,
/// and the kernel's share of their CPU (making and writing the files).
double g_macroMs = 0;
double g_macroCpuMs = 0;
double g_macroKernelMs = 0;

/// This thread's CPU milliseconds, user and system or the system's alone.
double threadCpuMs(bool kernelOnly = false)
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    const timeval user = kernelOnly ? timeval{} : usage.ru_utime;
    return double(user.tv_sec + usage.ru_stime.tv_sec) * 1e3 + double(user.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

/// Wraps every picture macro so that the time the host spends in it, in the
/// very refresh being measured, is known.
void timePictureMacros()
{
    cad::MacroRegistry& registry = cad::MacroRegistry::global();
    for (const QString& name : {acad::macro::kMakeAll, acad::macro::kMakePart, acad::macro::kMakeAllLayer,
                                acad::macro::kMakeViewLayer}) {
        cad::MacroFn macro = registry.find(name);
        registry.registerMacro(name, [macro](cad::LocalApplication& application, const QString& folder) {
            QElapsedTimer t;
            t.start();
            const double cpuBefore = threadCpuMs();
            const double kernelBefore = threadCpuMs(true);
            macro(application, folder);
            g_macroMs += ms(t);
            g_macroCpuMs += threadCpuMs() - cpuBefore;
            g_macroKernelMs += threadCpuMs(true) - kernelBefore;
        });
    }
}

qint64 heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks + info.hblkhd);
}

/// Bytes of the pictures a refresh leaves for the window to hold: every
/// layer picture and the overviews.
qint64 pictureBytes()
{
    const QString work = acad::workFolderIn(app::programFolder());
    qint64 bytes = 0;
    for (const QString& folder : {work, acad::systemFolderIn(work)})
        for (const QFileInfo& file : QDir(folder).entryInfoList({QStringLiteral("*.wmf")}, QDir::Files))
            bytes += file.size();
    return bytes;
}

/// What a refresh left on the heap beyond the pictures, a tile, and how the
/// overview was played.
struct RefreshMemory {
    double perTileKiB = 0;
    double pictureMiB = 0;
    QSize overviewPixels;
    int overviewPaints = 0;  // plays of the overview picture until the window rests
    double cpuMs = 0;        // this process's CPU time in the refresh
};

/// CPU time (user and system) of another process of ours, from /proc.
double processCpuMsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the command's closing parenthesis; utime and stime
    // are the 12th and 13th of them, in clock ticks.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return double(fields[11].toLongLong() + fields[12].toLongLong()) * 1e3 / double(sysconf(_SC_CLK_TCK));
}

double processCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

/// One refresh through `connector`; returns milliseconds, or -1 on failure.
double timedRefresh(const std::shared_ptr<acad::HostConnector>& connector, int* tiles = nullptr,
                    RefreshMemory* memory = nullptr)
{
    app::RecordingUserInterface ui;
    app::ScopedUi scoped(ui);
    frmWMF window;
    window.setHostConnector(connector);
    window.Form_Load(QString());
    PaintCounter overviewPaints;
    window.ImgALL()->installEventFilter(&overviewPaints);
    malloc_trim(0);
    const qint64 heapBefore = heapInUse();
    QElapsedTimer t;
    t.start();
    const double cpuStart = processCpuMs();
    window.CmdRefresh_Click();
    const double elapsed = ms(t);
    const double cpu = processCpuMs() - cpuStart;
    QCoreApplication::processEvents();  // what the first paint keeps counts too
    const int count = window.tiles().tileCount();
    if (tiles)
        *tiles = count;
    if (memory && count > 0) {
        const qint64 pictures = pictureBytes();
        memory->pictureMiB = double(pictures) / (1024 * 1024);
        memory->perTileKiB = double(heapInUse() - heapBefore - pictures) / 1024 / count;
        memory->overviewPixels = window.ImgALL()->size();
        memory->overviewPaints = overviewPaints.paints;
        memory->cpuMs = cpu;
    }
    for (const auto& m : ui.messages())
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
    return window.bRefreshDone() ? elapsed : -1;
}

/// Playing all.wmf into the overview's size, as the overview paints it,
/// alternately with the player this round began from where it is built.
void overviewFigures(const RefreshMemory& refresh)
{
    const QString path = acad::systemFolderIn(acad::workFolderIn(app::programFolder())) + QLatin1Char('/')
                         + acad::kAllPictureName;
    metafile::WmfPicture picture;
    if (!picture.load(path) || refresh.overviewPixels.isEmpty())
        return;
    // On a shared machine the wall time also counts the time others had the
    // cores; the thread's CPU time is printed beside it.
    const auto cpuMs = [] {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
    };
    const auto timedPlay = [&](const auto& player, std::vector<double>& plays, std::vector<double>& cpu) {
        QImage image(refresh.overviewPixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QElapsedTimer t;
        t.start();
        const double cpuStart = cpuMs();
        player.draw(painter, QRectF(image.rect()));
        cpu.push_back(cpuMs() - cpuStart);
        plays.push_back(ms(t));
    };
    const auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? -1.0 : v[v.size() / 2];
    };
    std::vector<double> plays, cpu, previousPlays, previousCpu;
#ifdef KASANEMI_PREVIOUS_PLAYER
    PreviousPicture previous;
    const bool withPrevious = previous.load(path);
#endif
    for (int run = 0; run < 5; ++run) {
        timedPlay(picture, plays, cpu);
#ifdef KASANEMI_PREVIOUS_PLAYER
        if (withPrevious)
            timedPlay(previous, previousPlays, previousCpu);
#endif
    }
    std::printf("  play all.wmf into %dx%d        %9.1f ms  (CPU %.1f ms) median of 5, target <= 120 ms; played %d "
                "times by the refresh and its first paint\n",
                refresh.overviewPixels.width(), refresh.overviewPixels.height(), median(plays), median(cpu),
                refresh.overviewPaints);
    if (!previousPlays.empty())
        std::printf("  the previous player, alternately %9.1f ms  (CPU %.1f ms)  ratio CPU ours/previous %.2f\n",
                    median(previousPlays), median(previousCpu), median(cpu) / median(previousCpu));
}

/// What a refresh of one drawing left on the heap, beyond the pictures.
struct HeapLeft {
    int tiles = 0;
    double localKiB = 0;  // host in process
    double busKiB = -1;   // the viewer alone, -1 without a bus
};

HeapLeft refreshFigures(const QString& bigPath, const QString& home)
{
    HeapLeft left;
    auto document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(bigPath));
    auto application = std::make_shared<cad::LocalApplication>(document);
    std::printf("drawing: %s, %d layers, %zu entities\n", qPrintable(bigPath), document->layerCount(),
                document->drawing().entities.size());

    // Peer: the host's own work alone (the two macros of a refresh of every
    // layer, with every layer but the current one on and thawed as the
    // refresh has them: the drawing's own states leave some out, and so
    // would give the peer less to draw), run alternately with the refresh.
    // Both start with the last run's pictures in LAYER, set them aside, make
    // the new ones and delete the old after (the peer as the refresh does),
    // so both make their files after the same deletions.
    application->loadDVB(home + QStringLiteral("/QEMTIN.dvb"));
    const QString work = acad::workFolderIn(app::programFolder());
    const auto runPeer = [&] {
        std::vector<std::pair<bool, bool>> states;
        for (int i = 0; i < document->layerCount(); ++i)
            states.emplace_back(document->layer(i).on, document->layer(i).frozen);
        acad::switchLayersOnAndThawed(*application->activeDocument());
        app::DeferredRemoval previous;
        previous.setAside(work);
        QDir().mkpath(acad::systemFolderIn(work));
        g_macroMs = g_macroCpuMs = g_macroKernelMs = 0;
        application->runMacro(acad::macro::kMakeAll);
        application->runMacro(acad::macro::kMakeAllLayer);
        previous.release();
        app::waitForDeferredRemovals();
        for (int i = 0; i < document->layerCount(); ++i) {
            document->setLayerOn(i, states[std::size_t(i)].first);
            document->setLayerFrozen(i, states[std::size_t(i)].second);
        }
    };
    runPeer();  // the first pictures, and the drawing's extents worked out
    constexpr int kRounds = 3;
    std::vector<double> hostRuns, hostCpu, hostKernel, refreshRuns, refreshCpu, refreshMacros, refreshMacroCpu,
        refreshKernel;
    int tiles = 0;
    RefreshMemory localMemory;
    for (int round = 0; round < kRounds; ++round) {
        const auto peer = [&] {
            runPeer();
            hostRuns.push_back(g_macroMs);
            hostCpu.push_back(g_macroCpuMs);
            hostKernel.push_back(g_macroKernelMs);
        };
        const auto refresh = [&] {
            g_macroMs = g_macroCpuMs = g_macroKernelMs = 0;
            refreshRuns.push_back(
                timedRefresh(std::make_shared<acad::FixedHostConnector>(application), &tiles, &localMemory));
            refreshMacros.push_back(g_macroMs);
            refreshMacroCpu.push_back(g_macroCpuMs);
            refreshKernel.push_back(g_macroKernelMs);
            refreshCpu.push_back(localMemory.cpuMs);
            app::waitForDeferredRemovals();
        };
        if (round % 2) {
            refresh();
            peer();
        } else {
            peer();
            refresh();
        }
    }
    const double hostMs = median(hostRuns);
    const double localMs = median(refreshRuns);
    std::vector<double> shares;
    for (std::size_t i = 0; i < refreshRuns.size(); ++i)
        shares.push_back(refreshRuns[i] - refreshMacros[i]);
    std::printf("host (picture macros alone)      %9.1f ms  (CPU %.1f ms, %.1f ms of it in the kernel), median of %d\n",
                hostMs, median(hostCpu), median(hostKernel), kRounds);
    std::printf("refresh, host in process         %9.1f ms  (%d tiles), median of %d run alternately with the peer\n",
                localMs, tiles, kRounds);
    std::printf("  viewer share (refresh - host)  %9.1f ms  ratio refresh/host %.2f\n", localMs - hostMs,
                localMs / hostMs);
    // The macros' time varies from run to run with the file system (making
    // hundreds of files after as many were deleted): the time they took in
    // the very refresh is taken off as well.
    std::printf("  viewer share (refresh - its macros %.1f ms, %.1f ms of them in the kernel) %9.1f ms\n",
                median(refreshMacros), median(refreshKernel), median(shares));
    // CPU time is what the machine's load moves least.
    std::printf("  CPU: refresh %.1f ms, its macros %.1f ms (alone %.1f ms), the viewer's share %.1f ms\n",
                median(refreshCpu), median(refreshMacroCpu), median(hostCpu),
                median(refreshCpu) - median(refreshMacroCpu));
    std::printf("  heap left a tile, in process   %9.1f KiB beyond %.1f MiB of pictures (target <= 40 KiB)\n",
                localMemory.perTileKiB, localMemory.pictureMiB);
    overviewFigures(localMemory);
    left.tiles = tiles;
    left.localKiB = localMemory.perTileKiB * tiles;

    // Over the bus, against a real host process, when a session bus is there.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::printf("refresh over the bus             (no session bus: run under dbus-run-session)\n");
        return left;
    }
    QProcess host;
    host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/kasanemi-cad"), {bigPath});
    if (!host.waitForStarted(5000)) {
        std::printf("refresh over the bus             (kasanemi-cad did not start)\n");
        return left;
    }
    auto bus = std::make_shared<acad::dbus::BusHostConnector>(QCoreApplication::applicationDirPath()
                                                              + QStringLiteral("/../bin"));
    double busMs = -1;
    quint64 busCalls = 0;
    RefreshMemory busMemory;
    double hostCpuMs = 0;
    for (int attempt = 0; attempt < 120 && busMs < 0; ++attempt) {
        try {
            bus->attachRunning();
            const quint64 before = acad::dbus::busCallCount();
            const double hostCpuBefore = processCpuMsOf(host.processId());
            busMs = timedRefresh(bus, nullptr, &busMemory);
            hostCpuMs = processCpuMsOf(host.processId()) - hostCpuBefore;
            busCalls = acad::dbus::busCallCount() - before;
        } catch (const acad::AcadError&) {
            QThread::msleep(500);
        }
    }
    host.terminate();
    host.waitForFinished(5000);
    std::printf("refresh over the bus             %9.1f ms  %llu bus calls  ratio bus/in process %.2f (target <= 1.30)\n",
                busMs, static_cast<unsigned long long>(busCalls), busMs / localMs);
    std::printf("  bus share (bus - in process)   %9.1f ms\n", busMs - localMs);
    std::printf("  heap left a tile, viewer alone %9.1f KiB beyond %.1f MiB of pictures (target <= 40 KiB)\n",
                busMemory.perTileKiB, busMemory.pictureMiB);
    // Over the bus the host works in its own process: this process's CPU
    // time is the viewer's own share, whatever the machine's load.
    std::printf("  viewer's own CPU in that refresh %7.1f ms  against the host's %.1f ms (ratio %.2f)\n",
                busMemory.cpuMs, hostCpuMs, hostCpuMs > 0 ? busMemory.cpuMs / hostCpuMs : 0.0);
    left.busKiB = busMemory.perTileKiB * tiles;
    return left;
}

void relayoutFigures(const QString& manyPath)
{
    auto document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(manyPath));
    auto application = std::make_shared<cad::LocalApplication>(document);
    app::RecordingUserInterface ui;
    app::ScopedUi scoped(ui);
    frmWMF window;
    window.setHostConnector(std::make_shared<acad::FixedHostConnector>(application));
    window.Form_Load(QString());
    window.resize(1200, 800);
    window.CmdRefresh_Click();
    const int n = window.tiles().tileCount();
    std::printf("\nre-layout with %d tiles\n", n);

    constexpr int kRounds = 20;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < kRounds; ++i)
        window.resize(i % 2 ? 1200 : 900, 800);  // each resize re-flows every tile
    const double resizeMs = ms(t) / kRounds;

    t.restart();
    for (int i = 0; i < kRounds; ++i)
        window.ScrBarV()->setValue(1 + (i * 7) % std::max(1, window.ScrBarV()->maximum()));
    const double scrollMs = ms(t) / kRounds;

    // Peer: moving the same frames directly, with no layout rule at all.
    t.restart();
    for (int i = 0; i < kRounds; ++i)
        for (int k = 1; k <= n; ++k)
            window.tiles().oDWF(k)->FraOne()->move((k % 5) * 10 + i, k * 3);
    const double peerMs = ms(t) / kRounds;
    window.Form_Resize();

    std::printf("resize re-layout                 %9.2f ms  (target < 50 ms)\n", resizeMs);
    std::printf("scroll re-layout                 %9.2f ms\n", scrollMs);
    std::printf("peer: moving the frames directly %9.2f ms  ratio resize/peer %.2f\n", peerMs, resizeMs / peerMs);

    PaintCounter counter;
    for (int k = 1; k <= n; ++k)
        window.tiles().oDWF(k)->ImgOne()->installEventFilter(&counter);
    window.grab();  // one full repaint of the window
    std::printf("tile pictures painted by a full repaint: %d of %d\n", counter.paints, n);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // --work DIR: the program folder (and so LAYER) on another file system.
    QStringList args = application.arguments().mid(1);
    QString workParent = QDir::tempPath();
    if (args.size() >= 2 && args[0] == QLatin1String("--work")) {
        workParent = args[1];
        args = args.mid(2);
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s [--work DIR] BIG.dxf MANY_LAYERS.dxf\n", argv[0]);
        return 2;
    }
    QTemporaryDir home(workParent + QStringLiteral("/viewer_refresh-XXXXXX"));
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(workParent));
        return 2;
    }
    qputenv("KASANEMI_HOME", home.path().toUtf8());
    std::printf("program folder (LAYER): %s on %s\n", qPrintable(home.path()),
                benchsupport::fileSystemOf(home.path()).constData());
    testsupport::writeMacroProject(home.path());
    cad::macros::registerPictureMacros(cad::MacroRegistry::global());
    timePictureMacros();

    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        std::printf("load average: %s\n", loadavg.readLine().trimmed().constData());
    const HeapLeft big = refreshFigures(args[0], home.path());
    std::printf("\n");
    const HeapLeft many = refreshFigures(args[1], home.path());
    // A tile's own share: how much more a refresh leaves for each tile more,
    // which leaves out what a refresh keeps whatever its number of tiles.
    if (many.tiles != big.tiles) {
        const auto slope = [&](double a, double b) { return (b - a) / (many.tiles - big.tiles); };
        std::printf("\nheap a tile, %d to %d tiles, beyond the pictures: in process %.1f KiB", big.tiles, many.tiles,
                    slope(big.localKiB, many.localKiB));
        if (big.busKiB >= 0 && many.busKiB >= 0)
            std::printf(", viewer alone %.1f KiB", slope(big.busKiB, many.busKiB));
        std::printf(" (target <= 40 KiB)\n");
    }
    relayoutFigures(args[1]);
    return 0;
}
