// Refresh and re-layout figures of the viewer.
//
//   viewer_refresh_bench BIG.dxf MANY_LAYERS.dxf
//
// BIG.dxf: the standard large drawing (500 layers, 200,000 entities). The
// refresh runs end to end three ways: the picture macros alone in the host
// (the peer: the host's share), the whole refresh with the host in process
// (host + viewer), and the whole refresh over the session bus against a
// running kasanemi-cad (host + bus + viewer, when a bus is there). The
// differences give the viewer's and the bus's shares.
//
// MANY_LAYERS.dxf: a drawing with about 2,000 layers. After a refresh the
// window is resized and scrolled; each re-layout is timed against the peer
// of moving the same frames directly, and the tile pictures painted by one
// full repaint are counted against the tiles that exist.

#include "acad/FixedHostConnector.h"
#include "acad/AcadError.h"
#include "acad/PictureProtocol.h"
#include "acad/dbus/BusHostConnector.h"
#include "acad/dbus/BusSurface.h"
#include "app/ProgramFolder.h"
#include "MacroProject.h"
#include "app/RecordingUserInterface.h"
#include "cad/MacroRegistry.h"
#include "cad/local/LocalApplication.h"
#include "cad/macros/PictureMacros.h"
#include "tile/WmfImage.h"
#include "viewer/FrmWMF.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <cstdio>

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

/// One refresh through `connector`; returns milliseconds, or -1 on failure.
double timedRefresh(const std::shared_ptr<acad::HostConnector>& connector, int* tiles = nullptr)
{
    app::RecordingUserInterface ui;
    app::ScopedUi scoped(ui);
    frmWMF window;
    window.setHostConnector(connector);
    window.Form_Load(QString());
    QElapsedTimer t;
    t.start();
    window.CmdRefresh_Click();
    const double elapsed = ms(t);
    if (tiles)
        *tiles = window.tiles().tileCount();
    for (const auto& m : ui.messages())
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
    return window.bRefreshDone() ? elapsed : -1;
}

void refreshFigures(const QString& bigPath, const QString& home)
{
    auto document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(bigPath));
    auto application = std::make_shared<cad::LocalApplication>(document);
    std::printf("drawing: %s, %d layers, %zu entities\n", qPrintable(bigPath), document->layerCount(),
                document->drawing().entities.size());

    // Peer: the host's own work alone (the three macros of a refresh of every layer).
    application->loadDVB(home + QStringLiteral("/QEMTIN.dvb"));
    QElapsedTimer t;
    t.start();
    application->runMacro(acad::macro::kMakeAll);
    application->runMacro(acad::macro::kMakeAllLayer);
    const double hostMs = ms(t);

    int tiles = 0;
    const double localMs = timedRefresh(std::make_shared<acad::FixedHostConnector>(application), &tiles);
    std::printf("host (picture macros alone)      %9.1f ms\n", hostMs);
    std::printf("refresh, host in process         %9.1f ms  (%d tiles)\n", localMs, tiles);
    std::printf("  viewer share (refresh - host)  %9.1f ms  ratio refresh/host %.2f\n", localMs - hostMs,
                localMs / hostMs);

    // Over the bus, against a real host process, when a session bus is there.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::printf("refresh over the bus             (no session bus: run under dbus-run-session)\n");
        return;
    }
    QProcess host;
    host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/kasanemi-cad"), {bigPath});
    if (!host.waitForStarted(5000)) {
        std::printf("refresh over the bus             (kasanemi-cad did not start)\n");
        return;
    }
    auto bus = std::make_shared<acad::dbus::BusHostConnector>(QCoreApplication::applicationDirPath()
                                                              + QStringLiteral("/../bin"));
    double busMs = -1;
    quint64 busCalls = 0;
    for (int attempt = 0; attempt < 120 && busMs < 0; ++attempt) {
        try {
            bus->attachRunning();
            const quint64 before = acad::dbus::busCallCount();
            busMs = timedRefresh(bus);
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
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s BIG.dxf MANY_LAYERS.dxf\n", argv[0]);
        return 2;
    }
    QTemporaryDir home;
    qputenv("KASANEMI_HOME", home.path().toUtf8());
    testsupport::writeMacroProject(home.path());
    cad::macros::registerPictureMacros(cad::MacroRegistry::global());

    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        std::printf("load average: %s\n", loadavg.readLine().trimmed().constData());
    refreshFigures(QString::fromLocal8Bit(argv[1]), home.path());
    std::printf("\n");
    refreshFigures(QString::fromLocal8Bit(argv[2]), home.path());
    relayoutFigures(QString::fromLocal8Bit(argv[2]));
    return 0;
}
