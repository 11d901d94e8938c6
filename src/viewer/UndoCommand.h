#pragma once

#include "acad/AcadSurface.h"

#include <functional>

namespace tile {
class TileHost;
}
namespace undo {
class LayerUndoHistory;
struct RestoreOutcome;
} // namespace undo

namespace viewer {

/// The toolbar's 「直前の画層状態に戻す」: takes back the newest step of the
/// viewer's layer history.
class UndoCommand {
public:
    using DocumentSource = std::function<acad::DocumentPtr()>;

    /// `host` is the main window (its tiles and ready flag); `document` gives
    /// the drawing of the last refresh (null before one).
    UndoCommand(undo::LayerUndoHistory& history, tile::TileHost& host, DocumentSource document);

    /// Does nothing while a refresh runs or when there is nothing to take
    /// back. Otherwise writes the newest step's layers back, regenerates once,
    /// lets every tile re-read its layer (and check the current layer when
    /// the step made another one current), and reports what the drawing
    /// refused: the stale-tile message for a layer gone from the drawing, the
    /// frozen-layer message for a current layer that cannot be current again,
    /// the unexpected-error report naming "CmdUndo_Click" for anything else;
    /// each at most once.
    void CmdUndo_Click();

private:
    static void report(const undo::RestoreOutcome& outcome);

    undo::LayerUndoHistory& m_history;
    tile::TileHost& m_host;
    DocumentSource m_document;
};

} // namespace viewer
