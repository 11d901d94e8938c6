#pragma once

#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"

#include <vector>

namespace viewer {

/// Puts each non-current layer's on/off and frozen state back as the
/// snapshot recorded it (records 1 .. size()-1, in order; on/off first, then
/// frozen). The current layer is read once; the writes go as one batch.
/// Throws at the first refusal (acad::LayerWriteRefused).
void restoreLayerStates(acad::Document& document, const std::vector<acad::LayerSnapshot>& snapshot);

/// Puts the drawing back while a refresh is unwinding after a failure: every
/// layer it can reach gets its recorded state (a layer it cannot reach is
/// skipped), then all viewports are regenerated. Never throws.
void restoreLayerStatesAfterFailure(acad::Document& document,
                                    const std::vector<acad::LayerSnapshot>& snapshot) noexcept;

/// While armed, puts the drawing's layers back from the snapshot when it is
/// destroyed (a refresh that fails in the middle leaves the user's drawing
/// as it was). The refresh arms it before switching layers and disarms it
/// once it has put them back itself.
class LayerStateGuard {
public:
    LayerStateGuard(acad::DocumentPtr document, const std::vector<acad::LayerSnapshot>& snapshot)
        : m_document(std::move(document)), m_snapshot(snapshot) {}
    ~LayerStateGuard();
    LayerStateGuard(const LayerStateGuard&) = delete;
    LayerStateGuard& operator=(const LayerStateGuard&) = delete;

    void arm() { m_armed = true; }
    void disarm() { m_armed = false; }

private:
    acad::DocumentPtr m_document;
    const std::vector<acad::LayerSnapshot>& m_snapshot;
    bool m_armed = false;
};

} // namespace viewer
