// The bulk on/off commands of the viewer over the session bus, against the
// same commands in process: every layer off, then on, each followed by the
// re-read of every tile, ten times each after a real refresh of the same
// drawing; the median and the slowest run are printed.
//
//   bench_bulk_commands DRAWING.dxf
//
// Needs a session bus; starts kasanemi-cad from its own folder and kills it
// at the end. run.sh makes a drawing with 1,000 layers and a bus when missing.

#include "acad/LayerCounts.h"
#include "viewer/HostSession.h"
#include "acad/FixedHostConnector.h"
#include "acad/dbus/BusHostConnector.h"
#include "acad/dbus/BusSurface.h"
#include "acad/dbus/BusNames.h"
#include "app/RecordingUserInterface.h"
#include "cad/CadDocument.h"
#include "cad/MacroRegistry.h"
#include "cad/local/LocalApplication.h"
#include "cad/macros/PictureMacros.h"
#include "viewer/BulkCommands.h"
#include "viewer/FrmWMF.h"
#include "viewer/FrmWMFCommands.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {


/// One step's times over the runs.
struct Times {
    std::vector<double> runs;
    double median() const
    {
        std::vector<double> sorted = runs;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0 : sorted[sorted.size() / 2];
    }
    double slowest() const { return runs.empty() ? 0 : *std::max_element(runs.begin(), runs.end()); }
};

constexpr int kRuns = 10;

struct Figures {
    int tiles = 0;
    double refresh = 0;
    Times allOff;  // switching every layer off, regeneration included
    Times reread;  // the re-read of every tile that follows
    Times allOn;
    Times rereadOn;
    Times offTotal;  // the whole command as the user waits for it
    Times onTotal;
    quint64 offCalls = 0;  // bus calls of off + re-read (the last run)
    quint64 onCalls = 0;
};

double seconds(QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

/// One run: a refresh, then hide all and show all, the two halves of each
/// command timed apart.
Figures run(std::shared_ptr<acad::HostConnector> connector)
{
    Figures figures;
    frmWMF window;
    window.setHostConnector(std::move(connector));
    window.resize(1200, 900);
    window.show();
    QElapsedTimer timer;
    timer.start();
    window.CmdRefresh_Click();
    figures.refresh = seconds(timer);
    figures.tiles = window.tiles().tileCount();

    const acad::DocumentPtr document = window.oAcadDoc();
    for (int round = 0; round < kRuns; ++round) {
        for (bool on : {false, true}) {
            const quint64 callsBefore = acad::dbus::busCallCount();
            timer.restart();
            viewer::setAllLayersOn(window.tiles().layerDoor(), document, on);
            const double change = seconds(timer);
            timer.restart();
            window.tiles().pu_subCtrlViewUpdate();
            const double reread = seconds(timer);
            (on ? figures.allOn : figures.allOff).runs.push_back(change);
            (on ? figures.rereadOn : figures.reread).runs.push_back(reread);
            (on ? figures.onTotal : figures.offTotal).runs.push_back(change + reread);
            (on ? figures.onCalls : figures.offCalls) = acad::dbus::busCallCount() - callsBefore;
            // The window repaints the tiles between two commands, as it would
            // between two clicks; that is not part of the command's time.
            QCoreApplication::processEvents();
        }
    }
    return figures;
}

bool waitForHost(bool present, int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        const auto bus = acad::dbus::sessionBus();
        if (bus && bus->interface()->isServiceRegistered(acad::dbus::kServiceName).value() == present)
            return true;
        QThread::msleep(50);
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_bulk_commands DRAWING.dxf\n");
        return 2;
    }
    const QString drawing = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir home;
    qputenv("KASANEMI_HOME", home.path().toUtf8());
    const QString bin = QCoreApplication::applicationDirPath();
    QFile::copy(bin + QStringLiteral("/QEMTIN.dvb"), home.filePath(QStringLiteral("QEMTIN.dvb")));
    const QString copy = home.filePath(QStringLiteral("drawing.dxf"));
    if (!QFile::copy(drawing, copy)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    app::RecordingUserInterface ui;
    app::ScopedUi scoped(ui);
    cad::macros::registerPictureMacros(cad::MacroRegistry::global());

    // Peer: the same commands on the in-process host.
    const Figures local =
        run(std::make_shared<acad::FixedHostConnector>(std::make_shared<cad::LocalApplication>(cad::CadDocument::open(copy))));

    QProcess host;
    host.setProgram(bin + QStringLiteral("/kasanemi-cad"));
    host.setArguments({copy});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    host.setProcessEnvironment(environment);
    host.start();
    if (!waitForHost(true, 30'000)) {
        std::fprintf(stderr, "kasanemi-cad did not appear on the session bus\n");
        return 1;
    }
    const Figures bus = run(std::make_shared<acad::dbus::BusHostConnector>(bin));
    host.kill();
    host.waitForFinished();

    for (const auto& message : ui.messages())
        std::fprintf(stderr, "message: %s\n", qPrintable(message.text));
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    if (loadavg.open(QIODevice::ReadOnly))
        std::printf("load average: %s\n", loadavg.readLine().trimmed().constData());
    std::printf("tiles: %d (bus) / %d (in process)\n", bus.tiles, local.tiles);
    std::printf("bus calls: off + re-read %llu, on + re-read %llu\n", static_cast<unsigned long long>(bus.offCalls),
                static_cast<unsigned long long>(bus.onCalls));
    std::printf("%d runs of each command; median and slowest run\n", kRuns);
    std::printf("%-30s %18s %18s %8s\n", "step", "bus [ms]", "process [ms]", "ratio");
    const auto row = [](const char* name, const Times& b, const Times& l) {
        std::printf("%-30s %8.1f %9.1f %8.1f %9.1f %8.1f\n", name, b.median() * 1e3, b.slowest() * 1e3,
                    l.median() * 1e3, l.slowest() * 1e3, l.median() > 0 ? b.median() / l.median() : 0.0);
    };
    std::printf("%-30s %8.1f %9s %8.1f\n", "refresh (for reference)", bus.refresh * 1e3, "", local.refresh * 1e3);
    row("all layers off", bus.allOff, local.allOff);
    row("  re-read every tile", bus.reread, local.reread);
    row("all layers on", bus.allOn, local.allOn);
    row("  re-read every tile", bus.rereadOn, local.rereadOn);
    row("off + re-read (target <= 50)", bus.offTotal, local.offTotal);
    row("on + re-read (target <= 50)", bus.onTotal, local.onTotal);
    return 0;
}
