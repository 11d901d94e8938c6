#include "RecordingSurface.h"

#include "undo/LayerDoor.h"
#include "undo/LayerUndoHistory.h"
#include "undo/StepRestore.h"

#include <gtest/gtest.h>

using testing_surface::Host;
using testing_surface::layerRecord;

namespace {

std::shared_ptr<Host> hostWith(std::initializer_list<const char*> names)
{
    auto host = std::make_shared<Host>();
    for (const char* name : names)
        host->layers.push_back(layerRecord(QString::fromUtf8(name)));
    return host;
}

bool isOn(const Host& host, const QString& name)
{
    for (const acad::LayerSnapshot& layer : host.layers)
        if (layer.sLayerName == name)
            return layer.bLayerOn != acad::vbFalse;
    ADD_FAILURE() << "no layer " << name.toStdString();
    return false;
}

} // namespace

TEST(LayerDoor, RecordsWhatWentThroughSoTheUndoPutsTheDrawingBack)
{
    auto host = hostWith({"A", "B", "C"});
    host->layers[1].bLayerOn = acad::vbFalse; // B is off already
    const acad::DocumentPtr document = testing_surface::makeDocument(host);
    undo::LayerUndoHistory history;
    undo::LayerDoor door(history);

    // Every layer off, then B on (B was off before, so its first write
    // changed nothing); "gone" is refused and skipped.
    undo::LayerChange change;
    for (const char* name : {"A", "gone", "B", "C"})
        change.writes.push_back(acad::LayerWrite::on(QString::fromUtf8(name), false));
    change.writes.push_back(acad::LayerWrite::on(QStringLiteral("B"), true));
    change.writes.push_back(acad::LayerWrite::lock(QStringLiteral("C"), true));
    const undo::LayerChangeResult result = door.change(*document, change);

    EXPECT_EQ(result.refused, std::vector<qint32>{1});
    EXPECT_FALSE(isOn(*host, "A"));
    EXPECT_TRUE(isOn(*host, "B"));
    ASSERT_EQ(history.size(), 1);
    const std::vector<undo::LayerRestore> restores = result.step.layerRestores();
    ASSERT_EQ(restores.size(), 3u);
    EXPECT_EQ(restores[0], (undo::LayerRestore{"A", true, {}, {}, {}}));
    EXPECT_EQ(restores[1], (undo::LayerRestore{"B", false, {}, {}, {}}));
    EXPECT_EQ(restores[2], (undo::LayerRestore{"C", true, {}, false, {}}));

    undo::restoreStep(*document, *history.takeLast());
    EXPECT_TRUE(isOn(*host, "A"));
    EXPECT_FALSE(isOn(*host, "B"));
    EXPECT_TRUE(isOn(*host, "C"));
    EXPECT_EQ(host->layers[2].bLock, acad::vbFalse);
}

TEST(LayerDoor, AStoppedChangePutsBackWhatItWroteAndRecordsNothing)
{
    auto host = hostWith({"A", "B", "C"});
    host->layers[1].bLayerOn = acad::vbFalse;
    const acad::DocumentPtr document = testing_surface::makeDocument(host);
    undo::LayerUndoHistory history;
    undo::LayerDoor door(history);

    undo::LayerChange change;
    change.onRefusal = acad::OnRefusal::Stop;
    for (const char* name : {"A", "B", "gone", "C"})
        change.writes.push_back(acad::LayerWrite::on(QString::fromUtf8(name), false));
    try {
        door.change(*document, change);
        ADD_FAILURE() << "the refusal must reach the caller";
    } catch (const acad::LayerWriteRefused& refusal) {
        EXPECT_EQ(refusal.number(), acad::error::kKeyNotFound);
        EXPECT_EQ(refusal.index(), 2);
    }
    EXPECT_TRUE(isOn(*host, "A"));  // put back
    EXPECT_FALSE(isOn(*host, "B")); // was off: nothing to put back
    EXPECT_TRUE(isOn(*host, "C"));  // never reached
    // Only A is written back; B kept the value it had.
    EXPECT_EQ(host->writes(), (QStringList{"Layer.SetLayerOn(A,0)", "Layer.SetLayerOn(B,0)", "Layer.SetLayerOn(A,1)"}));
    EXPECT_TRUE(history.isEmpty());
}

TEST(LayerDoor, MakingALayerCurrentIsRecordedAndTakenBack)
{
    auto host = hostWith({"A", "B"});
    const acad::DocumentPtr document = testing_surface::makeDocument(host);
    undo::LayerUndoHistory history;
    undo::LayerDoor door(history);

    door.change(*document, {{}, QStringLiteral("B"), acad::OnRefusal::Stop});
    EXPECT_EQ(host->current, 1);
    ASSERT_EQ(history.size(), 1);
    undo::restoreStep(*document, *history.takeLast());
    EXPECT_EQ(host->current, 0);

    // Making the current layer current again changes nothing: no step.
    door.change(*document, {{}, QStringLiteral("A"), acad::OnRefusal::Stop});
    EXPECT_TRUE(history.isEmpty());
}
