// The bridge's connection outcomes and the order of its calls into the host,
// checked on a recording surface.

#include "RecordingSurface.h"

#include "acad/LayerCounts.h"
#include "acad/LayerReads.h"
#include "acad/LayerStates.h"
#include "viewer/HostSession.h"
#include "app/RecordingUserInterface.h"

#include <gtest/gtest.h>

using namespace acad;
using testing_surface::Host;

namespace {

acad::LayerSnapshot layer(const QString& name, bool on = true, int color = 7)
{
    LayerSnapshot r;
    r.sLayerName = name;
    r.bLayerOn = toVb(on);
    r.lnColor = color;
    r.sLineType = "Continuous";
    r.bPlottable = vbTrue;
    return r;
}

// A connector whose running host and start are scripted.
class ScriptedConnector : public HostConnector {
public:
    ApplicationPtr running;
    ApplicationPtr startable;
    int starts = 0;
    ApplicationPtr attachRunning() override
    {
        if (!running)
            throw AcadError(error::kHostUnreachable, "not running");
        return running;
    }
    ApplicationPtr startNew() override
    {
        ++starts;
        if (!startable)
            throw AcadError(error::kHostUnreachable, "cannot start");
        return startable;
    }
};

class BridgeTest : public ::testing::Test {
protected:
    std::shared_ptr<Host> host = std::make_shared<Host>();
    std::shared_ptr<ScriptedConnector> connector = std::make_shared<ScriptedConnector>();
    viewer::HostSession bridge{connector};
    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi{ui};
    VbBool cancel = 12;
    QString errMsg = "stale";
};

const QString kQuestion = QStringLiteral("AutoCADが起動されていません。\r起動して宜しいですか？");

TEST_F(BridgeTest, RunningHostIsAttachedWithoutQuestion)
{
    connector->running = testing_surface::makeApplication(host);
    EXPECT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_EQ(cancel, vbFalse);
    EXPECT_TRUE(errMsg.isEmpty());
    EXPECT_EQ(bridge.oAcadApp, connector->running);
    EXPECT_TRUE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.pleaseWaitEvents().isEmpty());
    EXPECT_EQ(connector->starts, 0);
}

TEST_F(BridgeTest, DeclinedStartCancelsQuietlyAndDropsTheOldHost)
{
    bridge.oAcadApp = testing_surface::makeApplication(host); // from an earlier refresh
    ui.scriptAnswers({app::MsgAnswer::No});
    EXPECT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_EQ(cancel, vbTrue);
    EXPECT_TRUE(errMsg.isEmpty());
    EXPECT_EQ(bridge.oAcadApp, nullptr);
    ASSERT_EQ(ui.messages().size(), 1);
    const auto& question = ui.messages().first();
    EXPECT_EQ(question.text, kQuestion);
    EXPECT_EQ(question.buttons, app::MsgButtons::YesNo);
    EXPECT_EQ(question.icon, app::MsgIcon::Exclamation);
    EXPECT_EQ(question.caption, QStringLiteral("Kasanemi Ver4.00"));
    EXPECT_TRUE(ui.pleaseWaitEvents().isEmpty());
    EXPECT_EQ(connector->starts, 0);
}

TEST_F(BridgeTest, AcceptedStartShowsPleaseWaitAndMakesTheHostVisible)
{
    connector->startable = testing_surface::makeApplication(host);
    ui.scriptAnswers({app::MsgAnswer::Yes});
    EXPECT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_EQ(cancel, vbFalse);
    EXPECT_TRUE(errMsg.isEmpty());
    EXPECT_EQ(bridge.oAcadApp, connector->startable);
    EXPECT_TRUE(host->visible);
    ASSERT_EQ(ui.pleaseWaitEvents().size(), 2);
    EXPECT_TRUE(ui.pleaseWaitEvents()[0].shown);
    EXPECT_EQ(ui.pleaseWaitEvents()[0].text, QStringLiteral("AutoCAD起動中．．．"));
    EXPECT_FALSE(ui.pleaseWaitShown());
    EXPECT_EQ(ui.messages().size(), 1); // only the question
}

TEST_F(BridgeTest, FailedStartGivesTheNotFoundOutcome)
{
    bridge.oAcadApp = testing_surface::makeApplication(host);
    ui.scriptAnswers({app::MsgAnswer::Yes});
    EXPECT_FALSE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_EQ(cancel, vbTrue);
    EXPECT_EQ(errMsg, QStringLiteral("404 Not Find AutoCAD.Application"));
    EXPECT_EQ(bridge.oAcadApp, nullptr);
    EXPECT_FALSE(ui.pleaseWaitShown());
    EXPECT_EQ(connector->starts, 1);
    EXPECT_EQ(ui.messages().size(), 1); // the caller shows the failure, not the bridge
}

TEST_F(BridgeTest, HostThatCannotBeMadeVisibleStillConnects)
{
    host->failing.insert("Application.Visible");
    connector->startable = testing_surface::makeApplication(host);
    ui.scriptAnswers({app::MsgAnswer::Yes});
    EXPECT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
    EXPECT_EQ(cancel, vbFalse);
    EXPECT_FALSE(ui.pleaseWaitShown());
}

TEST_F(BridgeTest, ReadsBeforeAnyConnectionFailWithAnError)
{
    EXPECT_THROW(bridge.SetActiveDocument(), AcadError);
    EXPECT_THROW(bridge.GetLayerCount(), AcadError);
    EXPECT_THROW(bridge.ReadLayerSnapshot(), AcadError);
    EXPECT_THROW(acad::CountLayerObjects(nullptr, QStringLiteral("0")), AcadError);
}

class ReadTest : public BridgeTest {
protected:
    void SetUp() override
    {
        connector->running = testing_surface::makeApplication(host);
        ASSERT_TRUE(bridge.ConnectAutoCAD(cancel, errMsg));
        bridge.SetActiveDocument();
        host->calls.clear();
    }
};

TEST_F(ReadTest, SnapshotReadsTenPropertiesPerLayerInOrder)
{
    host->layers = {layer("0"), layer("壁", false, 1)};
    host->layers[1].bAllViewportFreaze = vbTrue;
    host->layers[1].lnLineWeight = 35;
    host->layers[1].sPlotStyleName = "Normal";
    bridge.ReadLayerSnapshot();

    const QStringList perLayer = {"Layer.Name", "Layer.Linetype", "Layer.PlotStyleName", "Layer.Freeze",
                                  "Layer.LayerOn", "Layer.Lock", "Layer.ViewportDefault", "Layer.Plottable",
                                  "Layer.Color", "Layer.Lineweight"};
    QStringList expected = {"Document.Layers", "Layers.Count", "Document.Layers", "Layers.Count",
                            "Layers.Item(0)"};
    expected += perLayer;
    expected += "Layers.Item(1)";
    expected += perLayer;
    EXPECT_EQ(host->calls, expected);

    ASSERT_EQ(bridge.aLayerSnapshot.size(), 3u); // element 0 unused
    const LayerSnapshot& wall = bridge.aLayerSnapshot[2];
    EXPECT_EQ(wall.sLayerName, QStringLiteral("壁"));
    EXPECT_EQ(wall.bLayerOn, vbFalse);
    EXPECT_EQ(wall.bAllViewportFreaze, vbTrue); // True is -1
    EXPECT_EQ(wall.lnColor, 1);
    EXPECT_EQ(wall.lnLineWeight, 35);
    EXPECT_EQ(wall.sPlotStyleName, QStringLiteral("Normal"));
    EXPECT_EQ(bridge.aLayerSnapshot[1].bLayerOn, vbTrue);
}

TEST_F(ReadTest, FailedSnapshotKeepsThePreviousOne)
{
    host->layers = {layer("0"), layer("A")};
    bridge.ReadLayerSnapshot();
    host->layers.push_back(layer("B"));
    host->failing.insert("Layer.Lineweight");
    EXPECT_THROW(bridge.ReadLayerSnapshot(), AcadError);
    ASSERT_EQ(bridge.aLayerSnapshot.size(), 3u);
    EXPECT_EQ(bridge.aLayerSnapshot[2].sLayerName, QStringLiteral("A"));
}

TEST_F(ReadTest, LinetypeListLeavesOutByLayerAndByBlockInAnyCase)
{
    host->linetypes = {"BYLAYER", "ByBlock", "Continuous", "bylayer", "DASHDOT", "byBLOCK"};
    bridge.ReadLinetypeList();
    EXPECT_EQ(bridge.sLineTypeList, (QStringList{"", "Continuous", "DASHDOT"}));
    // A kept name is read a second time when it is stored.
    EXPECT_EQ(host->calls.count("Linetype.Name"), 6 + 2);

    host->linetypes = {"ByLayer", "ByBlock"};
    bridge.ReadLinetypeList();
    EXPECT_EQ(bridge.sLineTypeList, QStringList{QString()});
}

TEST_F(ReadTest, SwitchThawsThenSwitchesOnEveryLayerButTheCurrentOneReadAnewEachTime)
{
    host->layers = {layer("0"), layer("A", false), layer("B")};
    host->layers[2].bAllViewportFreaze = vbTrue;
    host->current = 1;
    switchLayersOnAndThawed(*bridge.oActiveDoc);

    EXPECT_EQ(host->writes(), (QStringList{"Layer.SetFreeze(0,0)", "Layer.SetLayerOn(0,1)", "Layer.SetFreeze(B,0)",
                                           "Layer.SetLayerOn(B,1)"}));
    EXPECT_EQ(host->calls.count("Document.ActiveLayer"), 3); // read anew for each layer
    EXPECT_EQ(host->layers[1].bLayerOn, vbFalse); // the current layer stays off
}

TEST_F(ReadTest, CountDeletesEverySetThenSelectsLayerByLayer)
{
    host->sets = {"other program", "cSet"};
    host->objects = {{"A", 3}, {"B", 4}, {"ignored", 100}};
    const qint32 total = acad::CountLayerObjects(bridge.oActiveDoc, NameList{"ignored", "A", "B"});
    EXPECT_EQ(total, 7);
    const QStringList expected = {
        "Document.SelectionSets", "SelectionSets.Count",
        "SelectionSets.Item(0)", "SelectionSet.Delete(other program)",
        "SelectionSets.Item(0)", "SelectionSet.Delete(cSet)",
        "Document.SelectionSets", "SelectionSets.Add(cSet)",
        "SelectionSet.Clear", "SelectionSet.Select(5,[8],[A])", "SelectionSet.Count",
        "SelectionSet.Clear", "SelectionSet.Select(5,[8],[B])", "SelectionSet.Count"};
    EXPECT_EQ(host->calls, expected);
    EXPECT_EQ(host->sets, QStringList{"cSet"}); // left in the drawing
}

TEST_F(ReadTest, CountOfOneNameEqualsCountOfAListHoldingIt)
{
    host->objects = {{"A", 3}};
    EXPECT_EQ(acad::CountLayerObjects(bridge.oActiveDoc, QStringLiteral("A")), 3);
    EXPECT_EQ(acad::CountLayerObjects(bridge.oActiveDoc, NameList{"", "A"}), 3);
    EXPECT_EQ(host->sets, QStringList{"cSet"});
}

TEST_F(ReadTest, CountEachIsOneCountPerName)
{
    host->sets = {"x"};
    host->objects = {{"A", 3}, {"B", 4}};
    EXPECT_EQ(acad::CountLayerObjectsEach(bridge.oActiveDoc, NameList{"", "A", "B"}),
              (std::vector<qint32>{3, 4}));
    const QStringList eachCalls = host->calls;
    host->calls.clear();
    host->sets = {"x"};
    acad::CountLayerObjects(bridge.oActiveDoc, QStringLiteral("A"));
    acad::CountLayerObjects(bridge.oActiveDoc, QStringLiteral("B"));
    EXPECT_EQ(eachCalls, host->calls);
    EXPECT_EQ(host->sets, QStringList{"cSet"});
}

TEST_F(ReadTest, CountOfAnEmptyListIsZeroAndStillLeavesTheSet)
{
    host->sets = {"x"};
    EXPECT_EQ(acad::CountLayerObjects(bridge.oActiveDoc, emptyNameList()), 0);
    EXPECT_EQ(acad::CountLayerObjects(bridge.oActiveDoc, NameList{}), 0);
    EXPECT_EQ(host->sets, QStringList{"cSet"});
}

TEST_F(ReadTest, CountIgnoresSetsThatCannotBeDeletedButNotLaterFailures)
{
    host->sets = {"stuck"};
    host->failing.insert("SelectionSet.Delete");
    // "stuck" stays, the count goes on.
    host->objects = {{"A", 2}};
    EXPECT_EQ(acad::CountLayerObjects(bridge.oActiveDoc, QStringLiteral("A")), 2);
    EXPECT_EQ(host->sets, (QStringList{"stuck", "cSet"}));

    // Creating "cSet" again fails because it could not be deleted: that reaches the caller.
    EXPECT_THROW(acad::CountLayerObjects(bridge.oActiveDoc, QStringLiteral("A")), AcadError);
}

TEST_F(ReadTest, CountStopsAtOnceWhenTheHostIsGone)
{
    host->sets = {"a", "b", "c"};
    host->failing.insert("SelectionSet.Delete");
    host->failingNumber = error::kHostUnreachable;
    try {
        acad::CountLayerObjects(bridge.oActiveDoc, QStringLiteral("A"));
        ADD_FAILURE() << "the count went on without a host";
    } catch (const AcadError& failure) {
        EXPECT_EQ(failure.number(), error::kHostUnreachable);
    }
    EXPECT_EQ(host->calls.filter("Delete").size(), 1);
}

// A document with batched members of its own: the bridge must use them
// instead of the single members, and give the same result.
class BatchDocument : public Document {
public:
    explicit BatchDocument(std::shared_ptr<Host> host) : m_host(host), m_single(testing_surface::makeDocument(host)) {}
    LayersPtr layers() override { return m_single->layers(); }
    LinetypesPtr linetypes() override { return m_single->linetypes(); }
    SelectionSetsPtr selectionSets() override { return m_single->selectionSets(); }
    LayerPtr activeLayer() override { return m_single->activeLayer(); }
    void setActiveLayer(const LayerPtr& l) override { m_single->setActiveLayer(l); }
    void regen(qint32 w) override { m_single->regen(w); }
    QString fullName() override { return m_single->fullName(); }
    QString name() override { return m_single->name(); }
    std::vector<LayerSnapshot> layerSnapshotAll() override
    {
        m_host->record("Batch.LayerSnapshotAll");
        return m_host->layers;
    }
    QStringList linetypeList() override
    {
        m_host->record("Batch.LinetypeList");
        QStringList names = m_host->linetypes;
        names.removeIf(isPseudoLinetype);
        return names;
    }
    qint32 countLayerObjects(const QStringList& names) override
    {
        m_host->record("Batch.CountLayerObjects(" + names.join(',') + ")");
        return qint32(names.size());
    }
    std::vector<qint32> countLayerObjectsEach(const QStringList& names) override
    {
        m_host->record("Batch.CountLayerObjectsEach(" + names.join(',') + ")");
        return std::vector<qint32>(size_t(names.size()), 1);
    }

private:
    std::shared_ptr<Host> m_host;
    DocumentPtr m_single;
};

TEST_F(ReadTest, BatchedMembersReplaceTheSingleMembersWithTheSameResult)
{
    host->layers = {layer("0"), layer("A", false)};
    host->linetypes = {"ByLayer", "Continuous"};
    bridge.ReadLayerSnapshot();
    bridge.ReadLinetypeList();
    const auto singleSnapshot = bridge.aLayerSnapshot;
    const auto singleLinetypes = bridge.sLineTypeList;

    bridge.oActiveDoc = std::make_shared<BatchDocument>(host);
    host->calls.clear();
    bridge.ReadLayerSnapshot();
    bridge.ReadLinetypeList();
    EXPECT_EQ(acad::CountLayerObjects(bridge.oActiveDoc, NameList{"skip", "A", "B"}), 2);
    EXPECT_EQ(acad::CountLayerObjectsEach(bridge.oActiveDoc, NameList{"skip", "A", "B"}).size(), 2u);
    EXPECT_EQ(host->calls, (QStringList{"Batch.LayerSnapshotAll", "Batch.LinetypeList",
                                        "Batch.CountLayerObjects(A,B)", "Batch.CountLayerObjectsEach(A,B)"}));
    ASSERT_EQ(bridge.aLayerSnapshot.size(), singleSnapshot.size());
    for (size_t i = 1; i < singleSnapshot.size(); ++i) {
        EXPECT_EQ(bridge.aLayerSnapshot[i].sLayerName, singleSnapshot[i].sLayerName);
        EXPECT_EQ(bridge.aLayerSnapshot[i].bLayerOn, singleSnapshot[i].bLayerOn);
    }
    EXPECT_EQ(bridge.sLineTypeList, singleLinetypes);
}

} // namespace
