// The document's batched members give what the single members give: the
// in-process backend's own versions and the defaults (the series of single
// members) agree on every read, on the order of writes and on each refusal.

#include "acad/AcadError.h"
#include "acad/LayerWrites.h"
#include "cad/local/LocalApplication.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using acad::LayerWrite;
using acad::OnRefusal;
namespace error = acad::error;

// A document that offers only the single members: its batched members are the
// defaults of the surface, built from those.
class SingleMembersOnly : public acad::Document {
public:
    explicit SingleMembersOnly(acad::DocumentPtr inner) : m_inner(std::move(inner)) {}
    acad::LayersPtr layers() override { return m_inner->layers(); }
    acad::LinetypesPtr linetypes() override { return m_inner->linetypes(); }
    acad::SelectionSetsPtr selectionSets() override { return m_inner->selectionSets(); }
    acad::LayerPtr activeLayer() override { return m_inner->activeLayer(); }
    void setActiveLayer(const acad::LayerPtr& layer) override { m_inner->setActiveLayer(layer); }
    void regen(qint32 which) override { m_inner->regen(which); }
    QString fullName() override { return m_inner->fullName(); }
    QString name() override { return m_inner->name(); }

private:
    acad::DocumentPtr m_inner;
};

// layers_r2000.dxf: 0 (current), 壁, Door1 (off, locked, DASHED), door2,
// Frozen (frozen); linetypes ByBlock, ByLayer, Continuous, DASHED.
class BatchedMembers : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("test.dxf"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KASANEMI_CAD_TESTDATA "/layers_r2000.dxf"), path));
        document = std::shared_ptr<cad::CadDocument>(cad::CadDocument::open(path));
        local = std::make_shared<cad::LocalApplication>(document)->activeDocument();
        doc = GetParam() ? local : std::make_shared<SingleMembersOnly>(local);
    }

    QTemporaryDir dir;
    std::shared_ptr<cad::CadDocument> document;
    acad::DocumentPtr local;
    acad::DocumentPtr doc;
};

TEST_P(BatchedMembers, ReadsEqualTheSingleMembers)
{
    const std::vector<acad::LayerSnapshot> all = doc->layerSnapshotAll();
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[1].sLayerName, QStringLiteral("壁"));
    EXPECT_EQ(all[2].bLayerOn, acad::vbFalse);
    EXPECT_EQ(all[2].bLock, acad::vbTrue);
    EXPECT_EQ(all[2].lnColor, 3);
    EXPECT_EQ(all[2].sLineType, QStringLiteral("DASHED"));
    EXPECT_EQ(all[4].bAllViewportFreaze, acad::vbTrue);
    EXPECT_EQ(all[4].bNewViewportFreaze, acad::vbTrue);

    EXPECT_EQ(doc->layerNames(), (QStringList{"0", "壁", "Door1", "door2", "Frozen"}));
    const std::vector<acad::LayerOnState> on = doc->layerOnStates();
    ASSERT_EQ(on.size(), 5u);
    EXPECT_EQ(on[2].name, QStringLiteral("Door1"));
    EXPECT_FALSE(on[2].on);
    EXPECT_TRUE(on[1].on);
    EXPECT_EQ(doc->linetypeList(), (QStringList{"Continuous", "DASHED"}));

    // A tile's read goes by name, ignoring case; a name not in the drawing
    // gives nothing, so that the tile asks the single members why.
    const auto states = doc->layerStates({"door1", "gone", "Frozen"});
    ASSERT_EQ(states.size(), 3u);
    ASSERT_TRUE(states[0].has_value());
    EXPECT_EQ(states[0]->bLock, acad::vbTrue);
    EXPECT_EQ(states[0]->sLineType, QStringLiteral("DASHED"));
    EXPECT_EQ(states[0]->lnColor, 3);
    EXPECT_FALSE(states[1].has_value());
    ASSERT_TRUE(states[2].has_value());
    EXPECT_EQ(states[2]->bAllViewportFreaze, acad::vbTrue);

    EXPECT_EQ(doc->countLayerObjects({"壁", "door2"}), 4);
    EXPECT_EQ(doc->countLayerObjectsEach({"壁", "door2", "none"}), (std::vector<qint32>{3, 1, 0}));
}

TEST_P(BatchedMembers, WritesApplyInOrderAndAStopKeepsWhatWasDone)
{
    // Freezing and thawing the same layer: only the order tells the end state.
    doc->setLayerProperties({LayerWrite::freeze("壁", true), LayerWrite::freeze("壁", false),
                             LayerWrite::on("Door1", true), LayerWrite::lock("Door1", false),
                             LayerWrite::linetype("door2", "dashed")},
                            OnRefusal::Stop);
    EXPECT_FALSE(document->layer(1).frozen);
    EXPECT_TRUE(document->layer(2).on);
    EXPECT_FALSE(document->layer(2).locked);
    EXPECT_EQ(document->layer(3).linetype, QStringLiteral("DASHED")); // the table's spelling

    // The current layer "0" cannot be frozen: the batch ends there, with the
    // single setter's number and description and the write's position.
    QString singleDescription;
    try {
        local->layers()->item(QStringLiteral("0"))->setFreeze(true);
    } catch (const acad::AcadError& e) {
        singleDescription = e.description();
    }
    ASSERT_FALSE(singleDescription.isEmpty());
    try {
        doc->setLayerProperties({LayerWrite::on("door2", false), LayerWrite::freeze("0", true),
                                 LayerWrite::on("Frozen", false)},
                                OnRefusal::Stop);
        ADD_FAILURE() << "freezing the current layer was not refused";
    } catch (const acad::LayerWriteRefused& refusal) {
        EXPECT_EQ(refusal.index(), 1);
        EXPECT_EQ(refusal.layer(), QStringLiteral("0"));
        EXPECT_EQ(refusal.number(), error::kCurrentLayerFrozen);
        EXPECT_EQ(refusal.description(), singleDescription);
    }
    EXPECT_FALSE(document->layer(3).on);  // done before the refusal, not put back
    EXPECT_FALSE(document->layer(0).frozen);
    EXPECT_TRUE(document->layer(4).on);   // after it: not done
}

TEST_P(BatchedMembers, SkippedRefusalsAreReportedByPosition)
{
    const std::vector<qint32> refused =
        doc->setLayerProperties({LayerWrite::on("gone", false), LayerWrite::on("壁", false),
                                 LayerWrite::linetype("壁", "NOSUCH"), LayerWrite{"door2", acad::LayerProperty::Lock, "yes"},
                                 LayerWrite{"door2", acad::LayerProperty::Unknown, true}, LayerWrite::on("door2", false)},
                                OnRefusal::Skip);
    EXPECT_EQ(refused, (std::vector<qint32>{0, 2, 3, 4}));
    EXPECT_FALSE(document->layer(1).on);
    EXPECT_FALSE(document->layer(3).on);
    EXPECT_FALSE(document->layer(3).locked);
    EXPECT_TRUE(doc->setLayerProperties({}, OnRefusal::Stop).empty());

    try {
        doc->setLayerProperties({LayerWrite::on("gone", true)}, OnRefusal::Stop);
        ADD_FAILURE() << "a missing layer was not refused";
    } catch (const acad::AcadError& refusal) {
        EXPECT_EQ(refusal.number(), error::kKeyNotFound); // the stale-tile number callers look for
    }
}

INSTANTIATE_TEST_SUITE_P(LocalAndDefaults, BatchedMembers, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "InProcess" : "SingleMemberSeries"; });

} // namespace
