#include "LayerStateSwitch.h"

namespace viewer {

namespace {
constexpr qint32 kAllViewports = 1;
}

void restoreLayerStates(acad::Document& document, const std::vector<acad::LayerSnapshot>& snapshot)
{
    const acad::LayersPtr layers = document.layers();
    for (std::size_t i = 1; i < snapshot.size(); ++i) {
        const acad::LayerSnapshot& record = snapshot[i];
        if (record.sLayerName == document.activeLayer()->name())
            continue;
        const acad::LayerPtr layer = layers->item(record.sLayerName);
        layer->setLayerOn(record.bLayerOn != acad::vbFalse);
        layer->setFreeze(record.bAllViewportFreaze != acad::vbFalse);
    }
}

void restoreLayerStatesAfterFailure(acad::Document& document,
                                    const std::vector<acad::LayerSnapshot>& snapshot) noexcept
{
    try {
        const acad::LayersPtr layers = document.layers();
        QString current;
        try {
            current = document.activeLayer()->name();
        } catch (const std::exception&) {
            // Unknown current layer: try every layer; the host refuses only
            // what it must (freezing the current one), and that is skipped.
        }
        for (std::size_t i = 1; i < snapshot.size(); ++i) {
            const acad::LayerSnapshot& record = snapshot[i];
            if (!current.isNull() && record.sLayerName == current)
                continue;
            try {
                const acad::LayerPtr layer = layers->item(record.sLayerName);
                layer->setLayerOn(record.bLayerOn != acad::vbFalse);
                layer->setFreeze(record.bAllViewportFreaze != acad::vbFalse);
            } catch (const std::exception&) {
                // A layer that cannot be reached any more keeps its state.
            }
        }
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
