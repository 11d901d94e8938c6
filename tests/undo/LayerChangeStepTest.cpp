#include "undo/LayerChangeStep.h"
#include "undo/LayerUndoHistory.h"

#include <gtest/gtest.h>

using undo::LayerChangeStep;
using undo::LayerRestore;

namespace {
LayerRestore onRestore(const QString& name, bool on)
{
    LayerRestore restore{name, {}, {}, {}, {}};
    restore.on = on;
    return restore;
}
} // namespace

TEST(LayerChangeStep, KeepsWhereEachLayerStartedAndDropsWhatEndedThere)
{
    // The exclusive view of B: every layer off, then B on again.
    LayerChangeStep step;
    step.recordOn(QStringLiteral("A"), true, false);
    step.recordOn(QStringLiteral("B"), false, false);
    step.recordOn(QStringLiteral("C"), true, false);
    step.recordOn(QStringLiteral("b"), true, true); // B again, by another spelling
    const std::vector<LayerRestore> restores = step.layerRestores();
    // B was off and is on: back to off. A and C were on: back on. Nothing else.
    EXPECT_EQ(restores, (std::vector<LayerRestore>{onRestore("A", true), onRestore("B", false),
                                                   onRestore("C", true)}));
    EXPECT_FALSE(step.currentLayerToRestore());
}

TEST(LayerChangeStep, WritesBackOnlyThePropertiesThatChanged)
{
    LayerChangeStep step;
    step.recordFrozen(QStringLiteral("壁"), false, true);
    step.recordLocked(QStringLiteral("壁"), true, true);                 // unchanged
    step.recordLinetype(QStringLiteral("柱"), QStringLiteral("Dashed"), QStringLiteral("DASHED")); // same linetype
    step.recordLinetype(QStringLiteral("梁"), QStringLiteral("CONTINUOUS"), QStringLiteral("CENTER"));
    const std::vector<LayerRestore> restores = step.layerRestores();
    ASSERT_EQ(restores.size(), 2u);
    EXPECT_EQ(restores[0].layerName, QStringLiteral("壁"));
    EXPECT_EQ(restores[0].frozen, false);
    EXPECT_FALSE(restores[0].locked);
    EXPECT_FALSE(restores[0].on);
    EXPECT_EQ(restores[1].layerName, QStringLiteral("梁"));
    EXPECT_EQ(restores[1].linetype, QStringLiteral("CONTINUOUS"));
}

TEST(LayerChangeStep, CurrentLayerGoesBackOnlyWhenAnotherBecameCurrent)
{
    LayerChangeStep same;
    same.recordCurrentLayer(QStringLiteral("0"), QStringLiteral("0"));
    EXPECT_TRUE(same.changesNothing());

    LayerChangeStep other;
    other.recordCurrentLayer(QStringLiteral("0"), QStringLiteral("壁"));
    EXPECT_EQ(other.currentLayerToRestore(), QStringLiteral("0"));
    EXPECT_FALSE(other.changesNothing());
    EXPECT_TRUE(other.layerRestores().empty());
}

TEST(LayerUndoHistory, GivesStepsBackNewestFirstAndSaysWhenItChanges)
{
    undo::LayerUndoHistory history;
    int changes = 0;
    QObject::connect(&history, &undo::LayerUndoHistory::changed, [&] { ++changes; });

    history.push(LayerChangeStep{}); // changed nothing: not a step
    EXPECT_TRUE(history.isEmpty());
    EXPECT_EQ(changes, 0);

    for (const char* name : {"first", "second", "third"}) {
        LayerChangeStep step;
        step.recordOn(QString::fromLatin1(name), true, false);
        history.push(std::move(step));
    }
    EXPECT_EQ(history.size(), 3);
    EXPECT_EQ(changes, 3);
    for (const char* name : {"third", "second", "first"}) {
        const std::optional<LayerChangeStep> step = history.takeLast();
        ASSERT_TRUE(step);
        EXPECT_EQ(step->layerRestores().at(0).layerName, QString::fromLatin1(name));
    }
    EXPECT_FALSE(history.takeLast());
    EXPECT_EQ(changes, 6);

    LayerChangeStep step;
    step.recordLocked(QStringLiteral("A"), false, true);
    history.push(std::move(step));
    history.clear();
    EXPECT_TRUE(history.isEmpty());
    EXPECT_EQ(changes, 8);
}
