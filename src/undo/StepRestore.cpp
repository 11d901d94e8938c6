#include "StepRestore.h"

#include "LayerDoor.h"

#include "acad/LayerWrites.h"

namespace undo {

namespace {
constexpr qint32 kAllViewports = 1;

/// Runs one call; false once the host is lost, so no further call waits for it.
template <typename Call>
bool attempt(RestoreOutcome& outcome, Call&& call)
{
    try {
        call();
    } catch (const acad::AcadError& failure) {
        outcome.failures.push_back(failure);
        if (acad::isHostLost(failure)) {
            outcome.hostLost = true;
            return false;
        }
    }
    return true;
}

/// Thaw before on, as the refresh puts layers back; each property is its own
/// write, so one the drawing refuses leaves the others to go back.
acad::LayerWrites writesOf(const LayerChangeStep& step)
{
    acad::LayerWrites writes;
    for (const LayerRestore& restore : step.layerRestores()) {
        if (restore.frozen)
            writes.push_back(acad::LayerWrite::freeze(restore.layerName, *restore.frozen));
        if (restore.on)
            writes.push_back(acad::LayerWrite::on(restore.layerName, *restore.on));
        if (restore.locked)
            writes.push_back(acad::LayerWrite::lock(restore.layerName, *restore.locked));
        if (restore.linetype)
            writes.push_back(acad::LayerWrite::linetype(restore.layerName, *restore.linetype));
    }
    return writes;
}
} // namespace

RestoreOutcome restoreStep(acad::Document& document, const LayerChangeStep& step)
{
    RestoreOutcome outcome;
    const acad::LayerWrites writes = writesOf(step);
    std::vector<qint32> refused;
    // Through the door like every layer change, but unrecorded: the values
    // written back are known, so nothing is read first.
    if (!writes.empty() && !attempt(outcome, [&] {
            refused = applyLayerChange(document, {writes, std::nullopt, acad::OnRefusal::Skip}, false).refused;
        }))
        return outcome;
    // The batch says which writes the drawing refused, not why: the single
    // member, asked once more for each, gives the host's own error.
    for (qint32 position : refused) {
        if (!attempt(outcome, [&] {
                acad::applyLayerWritesOneByOne(document, {writes[std::size_t(position)]}, acad::OnRefusal::Stop);
            }))
            return outcome;
    }
    if (const std::optional<QString> current = step.currentLayerToRestore()) {
        if (!attempt(outcome, [&] { applyLayerChange(document, {{}, current, acad::OnRefusal::Stop}, false); }))
            return outcome;
    }
    attempt(outcome, [&] { document.regen(kAllViewports); });
    return outcome;
}

} // namespace undo
