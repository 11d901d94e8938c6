#pragma once

#include "acad/AcadSurface.h"


namespace undo {
struct RestoreOutcome;
} // namespace undo

namespace viewer {

class TileGrid;

/// The toolbar's 「直前の画層状態に戻す」: takes back the newest step of the
/// viewer's layer history.
class UndoCommand {
public:
    /// Takes back the steps of `grid`'s layer history, in the drawing of its
    /// last refresh.
    explicit UndoCommand(TileGrid& grid);

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

    TileGrid& m_grid;
};

} // namespace viewer
