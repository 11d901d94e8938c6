#include "LayerDoor.h"

#include "LayerUndoHistory.h"

#include <QHash>

namespace undo {

namespace {

QStringList namesOf(const acad::LayerWrites& writes)
{
    QStringList names;
    QHash<QString, bool> seen;
    for (const acad::LayerWrite& write : writes) {
        const QString key = write.layer.toCaseFolded();
        if (!seen.contains(key)) {
            seen.insert(key, true);
            names.append(write.layer);
        }
    }
    return names;
}

/// The states before the command, by folded name; empty when the read failed
/// for a reason other than a lost host.
QHash<QString, acad::LayerSnapshot> readStates(acad::Document& document, const acad::LayerWrites& writes)
{
    QHash<QString, acad::LayerSnapshot> before;
    if (writes.empty())
        return before;
    const QStringList names = namesOf(writes);
    std::vector<std::optional<acad::LayerSnapshot>> states;
    try {
        states = document.layerStates(names);
    } catch (const acad::AcadError& failure) {
        if (acad::isHostLost(failure))
            throw;
        return before;
    }
    for (std::size_t i = 0; i < states.size() && i < std::size_t(names.size()); ++i) {
        if (states[i])
            before.insert(names[qsizetype(i)].toCaseFolded(), *states[i]);
    }
    return before;
}

bool flagOf(acad::VbBool value)
{
    return value != acad::vbFalse;
}

/// The value `write`'s property had before, as a write of the same kind.
std::optional<acad::LayerWrite> previousValue(const acad::LayerWrite& write, const acad::LayerSnapshot& state)
{
    switch (write.property) {
    case acad::LayerProperty::LayerOn:
        return acad::LayerWrite::on(write.layer, flagOf(state.bLayerOn));
    case acad::LayerProperty::Freeze:
        return acad::LayerWrite::freeze(write.layer, flagOf(state.bAllViewportFreaze));
    case acad::LayerProperty::Lock:
        return acad::LayerWrite::lock(write.layer, flagOf(state.bLock));
    case acad::LayerProperty::Linetype:
        return acad::LayerWrite::linetype(write.layer, state.sLineType);
    case acad::LayerProperty::Unknown:
        break;
    }
    return std::nullopt;
}

void recordWrite(LayerChangeStep& step, const acad::LayerWrite& write, const acad::LayerSnapshot& state)
{
    switch (write.property) {
    case acad::LayerProperty::LayerOn:
        step.recordOn(write.layer, flagOf(state.bLayerOn), write.value.toBool());
        break;
    case acad::LayerProperty::Freeze:
        step.recordFrozen(write.layer, flagOf(state.bAllViewportFreaze), write.value.toBool());
        break;
    case acad::LayerProperty::Lock:
        step.recordLocked(write.layer, flagOf(state.bLock), write.value.toBool());
        break;
    case acad::LayerProperty::Linetype:
        step.recordLinetype(write.layer, state.sLineType, write.value.toString());
        break;
    case acad::LayerProperty::Unknown:
        break;
    }
}

/// After a refusal that stopped the batch at `stoppedAt`: the writes before
/// it go back to where their layers were, as far as the drawing lets them.
/// A layer whose state was not read, or that vanished meanwhile, keeps what
/// it has.
void putBack(acad::Document& document, const acad::LayerWrites& writes, qint32 stoppedAt,
             const QHash<QString, acad::LayerSnapshot>& before)
{
    acad::LayerWrites back;
    for (qint32 i = 0; i < stoppedAt && std::size_t(i) < writes.size(); ++i) {
        const acad::LayerWrite& write = writes[std::size_t(i)];
        const auto state = before.constFind(write.layer.toCaseFolded());
        if (state == before.cend())
            continue;
        const std::optional<acad::LayerWrite> previous = previousValue(write, *state);
        if (previous && previous->value != write.value)
            back.push_back(*previous);
    }
    if (back.empty())
        return;
    try {
        document.setLayerProperties(back, acad::OnRefusal::Skip);
    } catch (const std::exception&) {
        // The host is gone: nothing left to put back.
    }
}

} // namespace

LayerChangeResult applyLayerChange(acad::Document& document, const LayerChange& change, bool record)
{
    LayerChangeResult result;
    const QHash<QString, acad::LayerSnapshot> before =
        record ? readStates(document, change.writes) : QHash<QString, acad::LayerSnapshot>{};
    std::optional<QString> currentBefore;
    if (record && change.currentLayer)
        currentBefore = document.activeLayer()->name();

    if (!change.writes.empty()) {
        try {
            result.refused = document.setLayerProperties(change.writes, change.onRefusal);
        } catch (const acad::LayerWriteRefused& refusal) {
            if (change.onRefusal == acad::OnRefusal::Stop)
                putBack(document, change.writes, refusal.index(), before);
            throw;
        }
    }
    if (change.currentLayer)
        document.setActiveLayer(document.layers()->item(*change.currentLayer));

    if (record) {
        std::size_t nextRefused = 0;
        for (std::size_t i = 0; i < change.writes.size(); ++i) {
            if (nextRefused < result.refused.size() && std::size_t(result.refused[nextRefused]) == i) {
                ++nextRefused;
                continue;
            }
            const acad::LayerWrite& write = change.writes[i];
            const auto state = before.constFind(write.layer.toCaseFolded());
            if (state != before.cend())
                recordWrite(result.step, write, *state);
        }
        if (currentBefore)
            result.step.recordCurrentLayer(*currentBefore, *change.currentLayer);
    }
    return result;
}

LayerChangeResult LayerDoor::change(acad::Document& document, const LayerChange& change)
{
    LayerChangeResult result = applyLayerChange(document, change, true);
    m_history.push(result.step);
    return result;
}

} // namespace undo
