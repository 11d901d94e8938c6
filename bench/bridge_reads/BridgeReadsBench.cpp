// The bridge's reads of one drawing (layer snapshot, linetype list, object
// count of every layer) over the session bus, against the same reads in
// process, with the number of bus calls and calls per second.
//
//   bench_bridge_reads DRAWING.dxf
//
// Needs a session bus; starts kasanemi-cad from its own folder and kills it at
// the end. run.sh makes the standard large drawing and a bus when missing.

#include "acad/LayerCounts.h"
#include "viewer/HostSession.h"
#include "acad/FixedHostConnector.h"
#include "acad/dbus/BusNames.h"
#include "acad/dbus/BusSurface.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalApplication.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>

using namespace acad;

namespace {


// Hides a document's batch reads, so the bridge takes the single members.
class SingleMembersOnly : public Document {
public:
    explicit SingleMembersOnly(DocumentPtr inner) : m_inner(std::move(inner)) {}
    LayersPtr layers() override { return m_inner->layers(); }
    LinetypesPtr linetypes() override { return m_inner->linetypes(); }
    SelectionSetsPtr selectionSets() override { return m_inner->selectionSets(); }
    LayerPtr activeLayer() override { return m_inner->activeLayer(); }
    void setActiveLayer(const LayerPtr& layer) override { m_inner->setActiveLayer(layer); }
    void regen(qint32 which) override { m_inner->regen(which); }
    QString fullName() override { return m_inner->fullName(); }
    QString name() override { return m_inner->name(); }

private:
    DocumentPtr m_inner;
};

struct Figures {
    double seconds = 0;
    quint64 calls = 0;
    qint64 objects = 0;
    size_t layers = 0;
};

Figures readEverything(viewer::HostSession& bridge)
{
    const quint64 callsBefore = dbus::busCallCount();
    QElapsedTimer clock;
    clock.start();
    Figures figures;
    bridge.ReadLayerSnapshot();
    bridge.ReadLinetypeList();
    NameList names = emptyNameList();
    for (size_t i = 1; i < bridge.aLayerSnapshot.size(); ++i)
        names.append(bridge.aLayerSnapshot[i].sLayerName);
    for (const qint32 count : acad::CountLayerObjectsEach(bridge.oActiveDoc, names))
        figures.objects += count;
    figures.seconds = clock.nsecsElapsed() / 1e9;
    figures.calls = dbus::busCallCount() - callsBefore;
    figures.layers = bridge.aLayerSnapshot.size() - 1;
    return figures;
}

void print(const char* what, const Figures& f, const Figures& inProcess)
{
    std::printf("%-28s %8.3f s  %7llu bus calls  %9.0f calls/s  %6.1fx in-process  (%zu layers, %lld objects)\n",
                what, f.seconds, static_cast<unsigned long long>(f.calls),
                f.calls ? f.calls / f.seconds : 0.0, f.seconds / inProcess.seconds, f.layers,
                static_cast<long long>(f.objects));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: bench_bridge_reads DRAWING.dxf\n", stderr);
        return 2;
    }
    const QString drawing = QString::fromLocal8Bit(argv[1]);
    std::optional<QDBusConnection> bus = dbus::sessionBus();
    if (!bus) {
        std::fputs("bench_bridge_reads: no session bus (run it through run.sh or dbus-run-session)\n", stderr);
        return 2;
    }
    if (bus->interface()->isServiceRegistered(dbus::kServiceName).value()) {
        std::fputs("bench_bridge_reads: another drawing host is running\n", stderr);
        return 2;
    }

    std::shared_ptr<cad::LocalApplication> local;
    try {
        local = std::make_shared<cad::LocalApplication>(cad::CadDocument::open(drawing));
    } catch (const AcadError& failure) {
        std::fprintf(stderr, "bench_bridge_reads: %s\n", qPrintable(failure.description()));
        return 1;
    }

    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedChannels);
    host.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kasanemi-cad")), {drawing});
    const QDeadlineTimer deadline(120'000);
    while (!bus->interface()->isServiceRegistered(dbus::kServiceName).value()) {
        if (host.state() == QProcess::NotRunning || deadline.hasExpired()) {
            std::fputs("bench_bridge_reads: the drawing host did not start\n", stderr);
            return 1;
        }
        host.waitForFinished(50);
    }

    int status = 0;
    try {
        viewer::HostSession inProcess(std::make_shared<acad::FixedHostConnector>(local));
        VbBool cancel = 0;
        QString message;
        inProcess.ConnectAutoCAD(cancel, message);
        inProcess.SetActiveDocument();
        const Figures reference = readEverything(inProcess);

        viewer::HostSession overBus(std::make_shared<acad::FixedHostConnector>(dbus::makeBusApplication(*bus)));
        overBus.ConnectAutoCAD(cancel, message);
        overBus.SetActiveDocument();
        const Figures batch = readEverything(overBus);
        overBus.oActiveDoc = std::make_shared<SingleMembersOnly>(overBus.oActiveDoc);
        const Figures single = readEverything(overBus);

        std::printf("Snapshot, linetype list and the object count of every layer of %s\n", qPrintable(drawing));
        print("in process", reference, reference);
        print("bus, batch members", batch, reference);
        print("bus, single members only", single, reference);
        // Where a round trip's time goes: Ping is answered by the host's bus
        // thread, Caption by its main thread.
        const int rounds = 500;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < rounds; ++i)
            bus->call(QDBusMessage::createMethodCall(dbus::kServiceName, dbus::kObjectPath,
                                                     QStringLiteral("org.freedesktop.DBus.Peer"),
                                                     QStringLiteral("Ping")));
        const double pingUs = clock.nsecsElapsed() / 1e3 / rounds;
        const ApplicationPtr app = dbus::makeBusApplication(*bus);
        clock.restart();
        for (int i = 0; i < rounds; ++i)
            app->caption();
        const double captionUs = clock.nsecsElapsed() / 1e3 / rounds;
        std::printf("round trip: Ping %.0f us, Caption %.0f us\n", pingUs, captionUs);
        std::printf("target: under 0.5 s over the bus -> %s\n", batch.seconds < 0.5 ? "met" : "NOT met");
        if (batch.objects != reference.objects || single.objects != reference.objects) {
            std::fputs("bench_bridge_reads: the counts over the bus differ from the in-process counts\n", stderr);
            status = 1;
        }
    } catch (const AcadError& failure) {
        std::fprintf(stderr, "bench_bridge_reads: %d %s\n", failure.number(), qPrintable(failure.description()));
        status = 1;
    }
    host.kill();
    host.waitForFinished(5'000);
    return status;
}
