#include "LayerStateSwitch.h"

namespace viewer {

namespace {
constexpr qint32 kAllViewports = 1;
}

namespace {

// The writes that put each non-current layer's on/off and frozen state back,
// record by record (on/off first, then frozen).
acad::LayerWrites restoringWrites(const std::vector<acad::LayerSnapshot>& snapshot, const QString& current)
{
    acad::LayerWrites writes;
    writes.reserve(snapshot.size() * 2);
    for (std::size_t i = 1; i < snapshot.size(); ++i) {
        const acad::LayerSnapshot& record = snapshot[i];
        if (!current.isNull() && record.sLayerName == current)
            continue;
        writes.push_back(acad::LayerWrite::on(record.sLayerName, record.bLayerOn != acad::vbFalse));
        writes.push_back(acad::LayerWrite::freeze(record.sLayerName, record.bAllViewportFreaze != acad::vbFalse));
    }
    return writes;
}

} // namespace

void restoreLayerStates(acad::Document& document, const std::vector<acad::LayerSnapshot>& snapshot)
{
    const QString current = document.activeLayer()->name();
    document.setLayerProperties(restoringWrites(snapshot, current), acad::OnRefusal::Stop);
}

void restoreLayerStatesAfterFailure(acad::Document& document,
                                    const std::vector<acad::LayerSnapshot>& snapshot) noexcept
{
    try {
        QString current;
        try {
            current = document.activeLayer()->name();
        } catch (const acad::AcadError& failure) {
            if (acad::isHostLost(failure))
                return;  // the host is gone: nothing left to put back
            // Unknown current layer: try every layer; the host refuses only
            // what it must (freezing the current one), and that is skipped.
        }
        // A layer that cannot be reached any more keeps its state.
        document.setLayerProperties(restoringWrites(snapshot, current), acad::OnRefusal::Skip);
        document.regen(kAllViewports);
    } catch (const std::exception&) {
        // The host is gone: nothing left to put back.
    }
}

LayerStateGuard::~LayerStateGuard()
{
    if (m_armed && m_document)
        restoreLayerStatesAfterFailure(*m_document, m_snapshot);
}

} // namespace viewer
