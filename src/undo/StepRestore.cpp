#include "StepRestore.h"

namespace undo {

namespace {
constexpr qint32 kAllViewports = 1;

bool meansHostLost(const acad::AcadError& failure)
{
    return failure.number() == acad::error::kHostUnreachable || failure.number() == acad::error::kHostTimeout;
}

/// Runs one write; false once the host is lost, so no further write waits for it.
template <typename Write>
bool attempt(RestoreOutcome& outcome, Write&& write)
{
    try {
        write();
    } catch (const acad::AcadError& failure) {
        outcome.failures.push_back(failure);
        if (meansHostLost(failure)) {
            outcome.hostLost = true;
            return false;
        }
    }
    return true;
}

/// Each property on its own: one the drawing refuses leaves the others to go back.
bool writeBack(RestoreOutcome& outcome, acad::Layers& layers, const LayerRestore& restore)
{
    acad::LayerPtr layer;
    if (!attempt(outcome, [&] { layer = layers.item(restore.layerName); }))
        return false;
    if (!layer)
        return true; // refused: the failure is in the outcome
    return (!restore.frozen || attempt(outcome, [&] { layer->setFreeze(*restore.frozen); }))
        && (!restore.on || attempt(outcome, [&] { layer->setLayerOn(*restore.on); }))
        && (!restore.locked || attempt(outcome, [&] { layer->setLock(*restore.locked); }))
        && (!restore.linetype || attempt(outcome, [&] { layer->setLinetype(*restore.linetype); }));
}
} // namespace

RestoreOutcome restoreStep(acad::Document& document, const LayerChangeStep& step)
{
    RestoreOutcome outcome;
    acad::LayersPtr layers;
    if (!attempt(outcome, [&] { layers = document.layers(); }) || !layers)
        return outcome;
    for (const LayerRestore& restore : step.layerRestores()) {
        if (!writeBack(outcome, *layers, restore))
            return outcome;
    }
    if (const std::optional<QString> current = step.currentLayerToRestore()) {
        if (!attempt(outcome, [&] { document.setActiveLayer(layers->item(*current)); }))
            return outcome;
    }
    attempt(outcome, [&] { document.regen(kAllViewports); });
    return outcome;
}

} // namespace undo
