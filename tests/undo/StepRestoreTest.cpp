#include "RecordingSurface.h"

#include "undo/StepRestore.h"

#include <gtest/gtest.h>

using testing_surface::Host;

namespace {

std::shared_ptr<Host> hostWith(std::initializer_list<const char*> names)
{
    auto host = std::make_shared<Host>();
    for (const char* name : names) {
        acad::LayerSnapshot layer;
        layer.sLayerName = QString::fromUtf8(name);
        layer.bLayerOn = acad::vbTrue;
        layer.sLineType = QStringLiteral("CONTINUOUS");
        host->layers.push_back(layer);
    }
    return host;
}

} // namespace

TEST(StepRestore, WritesBackWhatTheStepChangedReadingNothingAndRegeneratesOnce)
{
    auto host = hostWith({"A", "B", "C"});
    const acad::DocumentPtr document = testing_surface::makeDocument(host);
    undo::LayerChangeStep step;
    step.recordOn(QStringLiteral("A"), true, false);
    step.recordFrozen(QStringLiteral("C"), false, true);
    step.recordLinetype(QStringLiteral("C"), QStringLiteral("DASHED"), QStringLiteral("CONTINUOUS"));
    step.recordCurrentLayer(QStringLiteral("B"), QStringLiteral("A"));
    host->layers[0].bLayerOn = acad::vbFalse;
    host->layers[2].bAllViewportFreaze = acad::vbTrue;

    const undo::RestoreOutcome outcome = undo::restoreStep(*document, step);

    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(host->calls, (QStringList{"Document.Layers", "Layers.Item(A)", "Layer.SetLayerOn(A,1)", "Layers.Item(C)",
                                        "Layer.SetFreeze(C,0)", "Layer.SetLinetype(C,DASHED)", "Document.Layers",
                                        "Layers.Item(B)", "Document.SetActiveLayer(B)", "Document.Regen(1)"}));
    EXPECT_EQ(host->layers[0].bLayerOn, acad::vbTrue);
    EXPECT_EQ(host->layers[2].bAllViewportFreaze, acad::vbFalse);
    EXPECT_EQ(host->layers[2].sLineType, QStringLiteral("DASHED"));
}

TEST(StepRestore, WithBatchedWritesAStepIsOneCallAndTheRegeneration)
{
    auto host = hostWith({"A", "B", "C"});
    host->batchedWrites = true;
    undo::LayerChangeStep step; // the exclusive view of B
    for (const char* name : {"A", "B", "C"})
        step.recordOn(QString::fromLatin1(name), true, false);
    step.recordOn(QStringLiteral("B"), true, true);
    for (acad::LayerSnapshot& layer : host->layers)
        layer.bLayerOn = acad::toVb(layer.sLayerName == QStringLiteral("B"));

    const undo::RestoreOutcome outcome = undo::restoreStep(*testing_surface::makeDocument(host), step);

    EXPECT_TRUE(outcome.failures.empty());
    EXPECT_EQ(host->calls, (QStringList{"Document.SetLayerProperties(2)", "Document.Regen(1)"}));
    for (const acad::LayerSnapshot& layer : host->layers)
        EXPECT_EQ(layer.bLayerOn, acad::vbTrue) << layer.sLayerName.toStdString();
}

TEST(StepRestore, ALayerGoneFromTheDrawingIsReportedAndTheRestStillGoesBack)
{
    for (const bool batched : {false, true}) {
        auto host = hostWith({"A", "B", "C"});
        host->batchedWrites = batched;
        const acad::DocumentPtr document = testing_surface::makeDocument(host);
        undo::LayerChangeStep step;
        for (const char* name : {"A", "B", "C"})
            step.recordOn(QString::fromLatin1(name), true, false);
        for (acad::LayerSnapshot& layer : host->layers)
            layer.bLayerOn = acad::vbFalse;
        host->layers.erase(host->layers.begin() + 1); // B deleted in the host

        const undo::RestoreOutcome outcome = undo::restoreStep(*document, step);

        // With the batch, the refused write is asked of the single member
        // once more, which gives the host's own error.
        ASSERT_EQ(outcome.failures.size(), 1u) << batched;
        EXPECT_EQ(outcome.failures[0].number(), acad::error::kKeyNotFound);
        EXPECT_FALSE(outcome.hostLost);
        EXPECT_EQ(host->layers[0].bLayerOn, acad::vbTrue);
        EXPECT_EQ(host->layers[1].bLayerOn, acad::vbTrue); // C
        EXPECT_EQ(host->calls.last(), QStringLiteral("Document.Regen(1)"));
    }
}

TEST(StepRestore, AHostThatIsGoneEndsTheStepAtOnce)
{
    auto host = hostWith({"A", "B", "C"});
    const acad::DocumentPtr document = testing_surface::makeDocument(host);
    undo::LayerChangeStep step;
    for (const char* name : {"A", "B", "C"})
        step.recordOn(QString::fromLatin1(name), true, false);
    host->failing = {"Layer.SetLayerOn"};
    host->failingNumber = acad::error::kHostUnreachable;

    const undo::RestoreOutcome outcome = undo::restoreStep(*document, step);

    EXPECT_TRUE(outcome.hostLost);
    EXPECT_EQ(outcome.failures.size(), 1u);
    // No further call waits for a host that cannot answer, not even the regeneration.
    EXPECT_EQ(host->calls, (QStringList{"Document.Layers", "Layers.Item(A)", "Layer.SetLayerOn(A,1)"}));
}
