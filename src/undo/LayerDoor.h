#pragma once

// The one door through which the viewer changes the drawing's layers: every
// command (a tile's buttons and linetype box, the double-click, the exclusive
// view, the bulk switches, the undo itself) hands its writes to
// LayerDoor::change, which reads the named layers' states in one batch,
// applies the writes in one batch, and records what went through as one step
// of the history. A command cannot forget to make itself undoable.

#include "LayerChangeStep.h"

#include "acad/AcadSurface.h"
#include "acad/LayerWrites.h"

#include <optional>
#include <vector>

namespace undo {

class LayerUndoHistory;

/// What one command asks of the drawing's layers.
struct LayerChange {
    /// Property writes, applied in this order.
    acad::LayerWrites writes;
    /// A layer to make current after the writes.
    std::optional<QString> currentLayer;
    /// Skip: a refused write is left out and the rest goes on. Stop: the first
    /// refusal ends the command; the writes before it are put back, so the
    /// drawing is left as the command found it, and the refusal
    /// (acad::LayerWriteRefused, the host's own number) reaches the caller.
    acad::OnRefusal onRefusal = acad::OnRefusal::Skip;
};

/// What went through the door.
struct LayerChangeResult {
    /// The step that takes the change back (empty when nothing was read).
    LayerChangeStep step;
    /// Positions of the writes the drawing refused (OnRefusal::Skip).
    std::vector<qint32> refused;
};

/// Applies `change` to `document`. With `record`, first reads the states of
/// the layers it names (one batch) and the current layer, so the result's
/// step can take the change back; a layer whose state could not be read is
/// written but not recorded. Without, reads nothing (the undo writes back
/// values it already knows). Failures of the host reach the caller; a
/// refusal of making a layer current too (the host's number).
LayerChangeResult applyLayerChange(acad::Document& document, const LayerChange& change, bool record = true);

/// The door as the commands use it: applies a change and puts its step into
/// the viewer's history.
class LayerDoor {
public:
    explicit LayerDoor(LayerUndoHistory& history) : m_history(history) {}

    /// applyLayerChange, then the step into the history (a step that changes
    /// nothing is dropped there). Returns the step; rethrows what the
    /// change throws, with nothing recorded.
    LayerChangeResult change(acad::Document& document, const LayerChange& change);

    LayerUndoHistory& history() { return m_history; }

private:
    LayerUndoHistory& m_history;
};

} // namespace undo
