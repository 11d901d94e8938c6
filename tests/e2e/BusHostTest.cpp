// The real drawing host on the session bus, driven through the bridge and the
// bus client: reads equal the in-process backend and the independent reader,
// starting on request, and a host that is missing, slow, killed or shared.

#include "HostProcess.h"

#include "acad/AcadError.h"
#include "acad/LayerCounts.h"
#include "viewer/HostSession.h"
#include "acad/FixedHostConnector.h"
#include "acad/dbus/BusExternalWindows.h"
#include "acad/dbus/BusHostConnector.h"
#include "acad/dbus/BusNames.h"
#include "acad/dbus/BusSurface.h"
#include "app/RecordingUserInterface.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalApplication.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <signal.h>
#include <thread>

using namespace acad;

namespace {


// Hides the batch reads of a document, so that the bridge uses single members.
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

struct Reads {
    std::vector<LayerSnapshot> snapshot;
    NameList linetypes;
    std::vector<qint32> counts;
};

Reads readAll(viewer::HostSession& bridge)
{
    Reads reads;
    bridge.ReadLayerSnapshot();
    bridge.ReadLinetypeList();
    reads.snapshot = bridge.aLayerSnapshot;
    reads.linetypes = bridge.sLineTypeList;
    NameList names = emptyNameList();
    for (size_t i = 1; i < reads.snapshot.size(); ++i) {
        names.append(reads.snapshot[i].sLayerName);
        reads.counts.push_back(acad::CountLayerObjects(bridge.oActiveDoc, reads.snapshot[i].sLayerName));
    }
    EXPECT_EQ(acad::CountLayerObjectsEach(bridge.oActiveDoc, names), reads.counts);
    return reads;
}

void expectSameReads(const Reads& a, const Reads& b, const char* what)
{
    SCOPED_TRACE(what);
    ASSERT_EQ(a.snapshot.size(), b.snapshot.size());
    for (size_t i = 1; i < a.snapshot.size(); ++i) {
        const LayerSnapshot& x = a.snapshot[i];
        const LayerSnapshot& y = b.snapshot[i];
        EXPECT_EQ(x.sLayerName, y.sLayerName);
        EXPECT_EQ(x.bLayerOn, y.bLayerOn) << x.sLayerName.toStdString();
        EXPECT_EQ(x.bAllViewportFreaze, y.bAllViewportFreaze);
        EXPECT_EQ(x.bLock, y.bLock);
        EXPECT_EQ(x.lnColor, y.lnColor);
        EXPECT_EQ(x.sLineType, y.sLineType);
        EXPECT_EQ(x.lnLineWeight, y.lnLineWeight);
        EXPECT_EQ(x.sPlotStyleName, y.sPlotStyleName);
        EXPECT_EQ(x.bPlottable, y.bPlottable);
        EXPECT_EQ(x.bNewViewportFreaze, y.bNewViewportFreaze);
    }
    EXPECT_EQ(a.linetypes, b.linetypes);
    EXPECT_EQ(a.counts, b.counts);
}

class BusHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sessionBus()) << "the end-to-end tests need a session bus";
        ASSERT_TRUE(e2e::waitHostGone(3'000)) << "another drawing host owns the name";
    }
    void TearDown() override { e2e::killHostOnBus(); }

    static std::optional<QDBusConnection> sessionBus() { return dbus::sessionBus(); }

    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi{ui};
    VbBool cancel = 0;
    QString errMsg;
};

class SampleReadsTest : public BusHostTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(SampleReadsTest, BusReadsEqualInProcessReadsAndTheIndependentReader)
{
    const QString sample = e2e::samplePath(GetParam());
    e2e::HostProcess host({sample});
    ASSERT_TRUE(host.waitReady());

    viewer::HostSession overBus(std::make_shared<dbus::BusHostConnector>(e2e::binFolder()));
    ASSERT_TRUE(overBus.ConnectAutoCAD(cancel, errMsg));
    EXPECT_TRUE(ui.messages().isEmpty()); // running: no question
    overBus.SetActiveDocument();
    const Reads batch = readAll(overBus);
    overBus.oActiveDoc = std::make_shared<SingleMembersOnly>(overBus.oActiveDoc);
    const Reads single = readAll(overBus);

    viewer::HostSession inProcess(std::make_shared<acad::FixedHostConnector>(
        std::make_shared<cad::LocalApplication>(cad::CadDocument::open(sample))));
    ASSERT_TRUE(inProcess.ConnectAutoCAD(cancel, errMsg));
    inProcess.SetActiveDocument();
    const Reads local = readAll(inProcess);

    expectSameReads(batch, local, "batch members against in-process");
    expectSameReads(single, local, "single members against in-process");

    QFile oracleFile(QString(sample).replace(QStringLiteral(".dxf"), QStringLiteral(".oracle.json")));
    ASSERT_TRUE(oracleFile.open(QIODevice::ReadOnly));
    const QJsonObject oracle = QJsonDocument::fromJson(oracleFile.readAll()).object();
    const QJsonArray layers = oracle.value("layers").toArray();
    ASSERT_EQ(size_t(layers.size()) + 1, batch.snapshot.size());
    const QRegularExpression wildcard(QStringLiteral("[*?#@.~\\[\\]`,]"));
    for (qsizetype i = 0; i < layers.size(); ++i) {
        const QJsonObject expected = layers[i].toObject();
        const LayerSnapshot& got = batch.snapshot[size_t(i) + 1];
        SCOPED_TRACE(got.sLayerName.toStdString());
        EXPECT_EQ(got.sLayerName, expected.value("name").toString());
        EXPECT_EQ(got.bLayerOn, toVb(expected.value("on").toBool()));
        EXPECT_EQ(got.bAllViewportFreaze, toVb(expected.value("frozen").toBool()));
        EXPECT_EQ(got.bLock, toVb(expected.value("locked").toBool()));
        EXPECT_EQ(got.lnColor, expected.value("color").toInt());
        EXPECT_EQ(got.sLineType.toLower(), expected.value("linetype").toString().toLower());
        EXPECT_EQ(got.bPlottable, toVb(expected.value("plottable").toBool()));
        EXPECT_EQ(got.bNewViewportFreaze, toVb(expected.value("vp_default_frozen").toBool()));
        // The host's wildcard rules decide what a name with pattern characters counts.
        if (!got.sLayerName.contains(wildcard)) {
            EXPECT_EQ(batch.counts[size_t(i)], oracle.value("counts").toObject().value(got.sLayerName).toInt());
        }
    }
    NameList expectedLinetypes = emptyNameList();
    for (const QJsonValue& name : oracle.value("linetypes").toArray()) {
        const QString lower = name.toString().toLower();
        if (lower != "bylayer" && lower != "byblock")
            expectedLinetypes.append(name.toString());
    }
    EXPECT_EQ(batch.linetypes, expectedLinetypes);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleReadsTest,
                         ::testing::Values("qcad_example01.dxf", "generated/gen_50L_5k_R2018.dxf",
                                           "ezdxf_viewport_frozen_layers.dxf"));

TEST_F(BusHostTest, StartOnRequestAnsweredYesStartsAVisibleNewDrawing)
{
    ASSERT_FALSE(e2e::hostOnBus());
    viewer::HostSession bridge(std::make_shared<dbus::BusHostConnector>(e2e::binFolder()));
    ui.scriptAnswers({app::MsgAnswer::Yes});
    ASSERT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_EQ(cancel, vbFalse);
    EXPECT_TRUE(errMsg.isEmpty());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].text, QStringLiteral("AutoCADが起動されていません。\r起動して宜しいですか？"));
    ASSERT_FALSE(ui.pleaseWaitEvents().isEmpty());
    EXPECT_EQ(ui.pleaseWaitEvents()[0].text, QStringLiteral("AutoCAD起動中．．．"));
    EXPECT_FALSE(ui.pleaseWaitShown());
    EXPECT_TRUE(e2e::hostOnBus());

    bridge.SetActiveDocument();
    EXPECT_EQ(bridge.oActiveDoc->name(), QStringLiteral("Drawing1.dwg"));
    EXPECT_FALSE(QFile::exists(bridge.oActiveDoc->fullName()));
    EXPECT_EQ(bridge.oAcadApp->caption(), QStringLiteral("Kasanemi CAD - [Drawing1.dwg]"));
    EXPECT_EQ(bridge.GetLayerCount(), 1);
}

TEST_F(BusHostTest, StartOnRequestAnsweredNoStartsNothing)
{
    viewer::HostSession bridge(std::make_shared<dbus::BusHostConnector>(e2e::binFolder()));
    ui.scriptAnswers({app::MsgAnswer::No});
    EXPECT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_EQ(cancel, vbTrue);
    EXPECT_EQ(bridge.oAcadApp, nullptr);
    EXPECT_TRUE(ui.pleaseWaitEvents().isEmpty());
    EXPECT_FALSE(e2e::hostOnBus());
}

TEST_F(BusHostTest, MissingHostExecutableEndsInTheNotFoundOutcome)
{
    QTemporaryDir emptyFolder;
    viewer::HostSession bridge(std::make_shared<dbus::BusHostConnector>(emptyFolder.path()));
    ui.scriptAnswers({app::MsgAnswer::Yes});
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_LT(clock.elapsed(), 2'000);
    EXPECT_EQ(cancel, vbTrue);
    EXPECT_EQ(errMsg, QStringLiteral("404 Not Find AutoCAD.Application"));
    EXPECT_FALSE(ui.pleaseWaitShown());
}

TEST_F(BusHostTest, SessionWithoutBusCountsAsNotRunningAndCannotStart)
{
    e2e::HostProcess host({e2e::samplePath("qcad_example01.dxf")});
    ASSERT_TRUE(host.waitReady());
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    viewer::HostSession bridge(std::make_shared<dbus::BusHostConnector>(e2e::binFolder()));
    ui.scriptAnswers({app::MsgAnswer::Yes});
    const bool connected = bridge.ConnectAutoCAD(cancel, errMsg);
    const qint64 handle = dbus::BusExternalWindows().findWindow(QStringLiteral("Kasanemi CAD - [qcad_example01.dxf]"));
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    EXPECT_FALSE(connected);
    EXPECT_EQ(errMsg, QStringLiteral("404 Not Find AutoCAD.Application"));
    EXPECT_EQ(ui.messages().size(), 1); // asked, as for a host that is not running
    EXPECT_EQ(handle, 0);
}

TEST_F(BusHostTest, HostKilledBetweenCallsFailsTheNextCallAtOnce)
{
    e2e::HostProcess host({e2e::samplePath("qcad_example01.dxf")});
    ASSERT_TRUE(host.waitReady());
    viewer::HostSession bridge(std::make_shared<dbus::BusHostConnector>(e2e::binFolder()));
    ASSERT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    bridge.SetActiveDocument();
    EXPECT_EQ(bridge.GetLayerCount(), 8);
    const LayerPtr layer = bridge.oActiveDoc->layers()->item(QStringLiteral("dim"));
    host.kill();

    QElapsedTimer clock;
    clock.start();
    try {
        bridge.GetLayerCount();
        ADD_FAILURE() << "a call to a killed host succeeded";
    } catch (const AcadError& failure) {
        EXPECT_EQ(failure.number(), error::kHostUnreachable);
    }
    EXPECT_THROW(layer->layerOn(), AcadError);
    EXPECT_LT(clock.elapsed(), 2'000);

    // The next refresh asks again.
    ui.scriptAnswers({app::MsgAnswer::No});
    EXPECT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_EQ(cancel, vbTrue);
}

TEST_F(BusHostTest, HostKilledDuringACallEndsTheCallWithAnError)
{
    e2e::HostProcess host({e2e::samplePath("qcad_example01.dxf")}, {"KASANEMI_CAD_TEST_DELAY=LayerCount:15000"});
    ASSERT_TRUE(host.waitReady());
    viewer::HostSession bridge(std::make_shared<dbus::BusHostConnector>(e2e::binFolder()));
    ASSERT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    bridge.SetActiveDocument();

    const qint64 pid = host.process().processId();
    std::thread killer([pid] {
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        ::kill(pid_t(pid), SIGKILL);
    });
    QElapsedTimer clock;
    clock.start();
    try {
        bridge.GetLayerCount();
        ADD_FAILURE() << "the call outlived its host";
    } catch (const AcadError& failure) {
        EXPECT_EQ(failure.number(), error::kHostUnreachable);
    }
    killer.join();
    EXPECT_LT(clock.elapsed(), 5'000);
}

TEST_F(BusHostTest, SlowHostTimesOutAndStaysUsable)
{
    e2e::HostProcess host({e2e::samplePath("qcad_example01.dxf")}, {"KASANEMI_CAD_TEST_DELAY=LayerCount:1500"});
    ASSERT_TRUE(host.waitReady());
    dbus::CallLimits limits;
    limits.callMs = 300;
    viewer::HostSession bridge(std::make_shared<dbus::BusHostConnector>(e2e::binFolder(), limits));
    ASSERT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    bridge.SetActiveDocument();
    try {
        bridge.GetLayerCount();
        ADD_FAILURE() << "no time limit";
    } catch (const AcadError& failure) {
        EXPECT_EQ(failure.number(), error::kHostTimeout);
    }
    // Once the host is done with the slow call it answers again.
    viewer::HostSession patient(std::make_shared<dbus::BusHostConnector>(e2e::binFolder()));
    ASSERT_TRUE(patient.ConnectAutoCAD(cancel, errMsg));
    patient.SetActiveDocument();
    EXPECT_EQ(patient.oActiveDoc->name(), QStringLiteral("qcad_example01.dxf"));
}

TEST_F(BusHostTest, HostRefusalsKeepTheirNumberAndDescription)
{
    const QString sample = e2e::samplePath("qcad_example01.dxf");
    e2e::HostProcess host({sample});
    ASSERT_TRUE(host.waitReady());
    const DocumentPtr bus = dbus::makeBusApplication(*sessionBus())->activeDocument();
    const DocumentPtr local = std::make_shared<cad::LocalApplication>(cad::CadDocument::open(sample))->activeDocument();

    auto refusal = [](const DocumentPtr& document, auto&& action) {
        try {
            action(document);
        } catch (const AcadError& failure) {
            return std::make_pair(failure.number(), failure.description());
        }
        return std::make_pair(0, QString());
    };
    auto unknownLayer = [](const DocumentPtr& d) { d->layers()->item(QStringLiteral("no such layer")); };
    auto frozenCurrent = [](const DocumentPtr& d) { d->setActiveLayer(d->layers()->item(QStringLiteral("construction"))); };
    auto unknownLinetype = [](const DocumentPtr& d) { d->layers()->item(QStringLiteral("dim"))->setLinetype("NOPE"); };

    EXPECT_EQ(refusal(bus, unknownLayer).first, error::kKeyNotFound);
    EXPECT_EQ(refusal(bus, unknownLayer), refusal(local, unknownLayer));
    EXPECT_EQ(refusal(bus, frozenCurrent).first, error::kFrozenLayerCurrent);
    EXPECT_EQ(refusal(bus, frozenCurrent), refusal(local, frozenCurrent));
    EXPECT_EQ(refusal(bus, unknownLinetype).first, error::kKeyNotFound);
    EXPECT_EQ(refusal(bus, unknownLinetype), refusal(local, unknownLinetype));
}

TEST_F(BusHostTest, TwoViewersShareOneHostAndLayersFollowTheirNames)
{
    e2e::HostProcess host({e2e::samplePath("qcad_example01.dxf")});
    ASSERT_TRUE(host.waitReady());
    QDBusConnection second = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("viewer2"));
    ASSERT_TRUE(second.isConnected());
    const DocumentPtr first = dbus::makeBusApplication(*sessionBus())->activeDocument();
    const DocumentPtr other = dbus::makeBusApplication(second)->activeDocument();

    const LayerPtr dim = first->layers()->item(QStringLiteral("DIM")); // any case finds it
    EXPECT_EQ(dim->name(), QStringLiteral("dim"));
    EXPECT_EQ(acad::CountLayerObjects(first, QStringLiteral("dim")), 20);

    // The other viewer renames the layer between the first one's snapshot and count.
    other->layers()->item(QStringLiteral("dim"))->setName(QStringLiteral("寸法"));
    try {
        dim->layerOn();
        ADD_FAILURE() << "a proxy of a renamed layer still answered";
    } catch (const AcadError& failure) {
        EXPECT_EQ(failure.number(), error::kKeyNotFound);
    }
    EXPECT_EQ(acad::CountLayerObjects(first, QStringLiteral("dim")), 0);
    EXPECT_EQ(acad::CountLayerObjects(first, QStringLiteral("寸法")), 20);

    // A proxy renamed through itself follows the new name.
    const LayerPtr axes = first->layers()->item(QStringLiteral("axes"));
    axes->setName(QStringLiteral("軸"));
    axes->setLayerOn(false);
    EXPECT_FALSE(other->layers()->item(QStringLiteral("軸"))->layerOn());
    QDBusConnection::disconnectFromBus(QStringLiteral("viewer2"));
}

TEST_F(BusHostTest, SecondViewerWaitsForARunningMacroInsteadOfFailing)
{
    e2e::HostProcess host({e2e::samplePath("qcad_example01.dxf")}, {"KASANEMI_CAD_TEST_DELAY=RunMacro:3000"});
    ASSERT_TRUE(host.waitReady());
    // The first viewer runs a macro from its own thread and connection.
    QDBusConnection first = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("viewer1"));
    QDBusMessage macroReply;
    std::thread macroThread([&] {
        QDBusMessage runMacro = QDBusMessage::createMethodCall(dbus::kServiceName, dbus::kObjectPath,
                                                               dbus::kInterfaceName, QStringLiteral("RunMacro"));
        runMacro << QStringLiteral("QEMTIN.basWMF.pu_subMakeWMF_All");
        macroReply = first.call(runMacro, QDBus::Block, 10'000);
    });
    QThread::msleep(600); // let the macro call reach the host first, even on a loaded machine

    QDBusConnection second = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("viewer2"));
    QElapsedTimer clock;
    clock.start();
    const DocumentPtr other = dbus::makeBusApplication(second)->activeDocument();
    EXPECT_EQ(other->layers()->count(), 8);
    EXPECT_GT(clock.elapsed(), 500); // it waited for the macro
    macroThread.join();
    // No project was loaded: the macro itself is refused, with the host's number.
    EXPECT_EQ(macroReply.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(macroReply.errorName(), dbus::kErrorName);
    QDBusConnection::disconnectFromBus(QStringLiteral("viewer1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("viewer2"));
}

TEST_F(BusHostTest, SecondHostLeavesTheNameToTheFirstAndSaysWhy)
{
    e2e::HostProcess first({e2e::samplePath("qcad_example01.dxf")});
    ASSERT_TRUE(first.waitReady());
    e2e::HostProcess second({e2e::samplePath("ezdxf_viewport_frozen_layers.dxf")});
    ASSERT_TRUE(second.process().waitForFinished(20'000));
    EXPECT_EQ(second.process().exitCode(), 2);
    EXPECT_EQ(dbus::makeBusApplication(*sessionBus())->activeDocument()->name(), QStringLiteral("qcad_example01.dxf"));
}

TEST_F(BusHostTest, UnreadableDrawingEndsTheHostWithAMessage)
{
    QTemporaryDir folder;
    const QString broken = folder.filePath("broken.dxf");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a drawing\n");
    file.close();
    e2e::HostProcess host({broken});
    ASSERT_TRUE(host.process().waitForFinished(20'000));
    EXPECT_EQ(host.process().exitCode(), 1);
    EXPECT_FALSE(e2e::hostOnBus());
}

TEST_F(BusHostTest, HostWindowIsFoundByItsTitleAndRaised)
{
    e2e::HostProcess host({e2e::samplePath("qcad_example01.dxf")});
    ASSERT_TRUE(host.waitReady());
    dbus::BusExternalWindows windows;
    const ApplicationPtr application = dbus::makeBusApplication(*sessionBus());
    const QString caption = application->caption();
    EXPECT_EQ(caption, QStringLiteral("Kasanemi CAD - [qcad_example01.dxf]"));
    const qint64 handle = windows.findWindow(caption);
    EXPECT_NE(handle, 0);
    EXPECT_EQ(windows.findWindow(QStringLiteral("Kasanemi CAD")), 0);
    EXPECT_TRUE(windows.raiseWindow(handle));
    EXPECT_FALSE(windows.raiseWindow(handle + 1));
    host.kill();
    EXPECT_EQ(windows.findWindow(caption), 0);
    EXPECT_FALSE(windows.raiseWindow(handle));
}

} // namespace

namespace {

QDBusMessage callHost(const QString& member, const QVariantList& arguments = {})
{
    QDBusMessage call = QDBusMessage::createMethodCall(dbus::kServiceName, dbus::kObjectPath, dbus::kInterfaceName,
                                                       member);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 20'000);
}

} // namespace

TEST_F(BusHostTest, SaveAndSaveAsOverTheBusKeepALayerChangeInTheFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString drawing = dir.filePath(QStringLiteral("plan.dxf"));
    ASSERT_TRUE(QFile::copy(e2e::samplePath("qcad_example01.dxf"), drawing));
    QFile::setPermissions(drawing, QFile::ReadOwner | QFile::WriteOwner);
    e2e::HostProcess host({drawing});
    ASSERT_TRUE(host.waitReady());

    const DocumentPtr document = dbus::makeBusApplication(QDBusConnection::sessionBus())->activeDocument();
    const QString layerName = document->layers()->item(1)->name();
    const bool wasOn = document->layers()->item(1)->layerOn();
    document->layers()->item(1)->setLayerOn(!wasOn);

    const QDBusMessage saved = callHost(QStringLiteral("Save"));
    ASSERT_NE(saved.type(), QDBusMessage::ErrorMessage) << saved.errorMessage().toStdString();
    const auto reloaded = cad::CadDocument::open(drawing);
    EXPECT_EQ(reloaded->layer(reloaded->layerIndex(layerName)).on, !wasOn);

    const QString copy = dir.filePath(QStringLiteral("copy.dxf"));
    const QDBusMessage savedAs = callHost(QStringLiteral("SaveAs"), {copy});
    ASSERT_NE(savedAs.type(), QDBusMessage::ErrorMessage) << savedAs.errorMessage().toStdString();
    const auto reread = cad::CadDocument::open(copy);
    EXPECT_EQ(reread->layer(reread->layerIndex(layerName)).on, !wasOn);

    // A relative path is refused with the host's error, and nothing is written.
    const QDBusMessage relative = callHost(QStringLiteral("SaveAs"), {QStringLiteral("relative.dxf")});
    EXPECT_EQ(relative.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(relative.errorName(), dbus::kErrorName);
}

TEST_F(BusHostTest, SaveOfADwgIsRefusedWithTheHostsNumberAndSaveAsWritesDxf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString drawing = dir.filePath(QStringLiteral("plan.dwg"));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("KASANEMI_SHARED") + QStringLiteral("/samples/dwg/libredwg_example_2000.dwg"),
                            drawing));
    e2e::HostProcess host({drawing});
    ASSERT_TRUE(host.waitReady());

    const DocumentPtr document = dbus::makeBusApplication(QDBusConnection::sessionBus())->activeDocument();
    EXPECT_EQ(document->name(), QStringLiteral("plan.dwg"));
    document->layers()->item(QStringLiteral("Tavolo 2"))->setLayerOn(false);

    const QDBusMessage saved = callHost(QStringLiteral("Save"));
    ASSERT_EQ(saved.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(saved.errorName(), dbus::kErrorName);
    EXPECT_TRUE(saved.errorMessage().startsWith(QString::number(acad::error::kDrawingNotWritable) + u'|'))
        << saved.errorMessage().toStdString();
    EXPECT_TRUE(saved.errorMessage().contains(QStringLiteral("上書き保存できません")));

    const QString copy = dir.filePath(QStringLiteral("plan.dxf"));
    const QDBusMessage savedAs = callHost(QStringLiteral("SaveAs"), {copy});
    ASSERT_NE(savedAs.type(), QDBusMessage::ErrorMessage) << savedAs.errorMessage().toStdString();
    const auto reread = cad::CadDocument::open(copy);
    EXPECT_FALSE(reread->layer(reread->layerIndex(QStringLiteral("Tavolo 2"))).on);
    EXPECT_EQ(document->name(), QStringLiteral("plan.dxf"));
}

TEST_F(BusHostTest, OneCallerCannotMakeTheHostHoldWithoutBound)
{
    e2e::HostProcess host({e2e::samplePath("qcad_example01.dxf")});
    ASSERT_TRUE(host.waitReady());
    const QString limitReached = QString::number(error::kLimitReached) + u'|';

    // Selection sets: the CAD's 128, then the host's number and why.
    for (int i = 0; i < 128; ++i)
        ASSERT_NE(callHost(QStringLiteral("AddSelectionSet"), {QStringLiteral("s%1").arg(i)}).type(),
                  QDBusMessage::ErrorMessage);
    const QDBusMessage oneMore = callHost(QStringLiteral("AddSelectionSet"), {QStringLiteral("one more")});
    ASSERT_EQ(oneMore.type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(oneMore.errorMessage().startsWith(limitReached)) << oneMore.errorMessage().toStdString();

    // A name of a million characters is refused before the host works on it,
    // whether alone, in a list or inside a batch of writes.
    const QString huge(1'000'000, u'壁');
    const QDBusMessage alone = callHost(QStringLiteral("LayerOn"), {huge});
    EXPECT_TRUE(alone.errorMessage().startsWith(limitReached)) << alone.errorMessage().left(200).toStdString();
    const QDBusMessage listed = callHost(QStringLiteral("CountLayerObjects"), {QStringList{QStringLiteral("0"), huge}});
    EXPECT_TRUE(listed.errorMessage().startsWith(limitReached));
    const DocumentPtr document = dbus::makeBusApplication(QDBusConnection::sessionBus())->activeDocument();
    try {
        document->setLayerProperties({LayerWrite::on(huge, true)}, OnRefusal::Stop);
        ADD_FAILURE() << "a write naming a million-character layer was taken";
    } catch (const AcadError& refused) {
        EXPECT_EQ(refused.number(), error::kLimitReached);
    }

    // Counts of many names matching everything add up without wrapping.
    const qint32 all = document->countLayerObjects({QStringLiteral("*")});
    EXPECT_EQ(document->countLayerObjects(QStringList(11000, QStringLiteral("*"))), 11000 * all);

    // LoadDVB, like SaveAs, takes an absolute path only.
    const QDBusMessage relative = callHost(QStringLiteral("LoadDVB"), {QStringLiteral("QEMTIN.dvb")});
    ASSERT_EQ(relative.type(), QDBusMessage::ErrorMessage);
    EXPECT_TRUE(relative.errorMessage().startsWith(QString::number(error::kInvalidArgument) + u'|'));
}
