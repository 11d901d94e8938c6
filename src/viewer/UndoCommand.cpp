#include "UndoCommand.h"

#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/UserInterface.h"
#include "TileCommands.h"
#include "TileGrid.h"
#include "undo/LayerUndoHistory.h"
#include "undo/StepRestore.h"

namespace viewer {

UndoCommand::UndoCommand(TileGrid& grid) : m_grid(grid) {}

void UndoCommand::CmdUndo_Click()
{
    if (!m_grid.bRefreshDone())
        return;
    const acad::DocumentPtr document = m_grid.oAcadDoc();
    if (!document)
        return;
    const std::optional<undo::LayerChangeStep> step = m_grid.layerUndoHistory().takeLast();
    if (!step)
        return;
    const undo::RestoreOutcome outcome = undo::restoreStep(*document, *step);
    // The explanation comes before the tiles' own reports of a layer they
    // cannot read any more.
    report(outcome);
    m_grid.pu_subCtrlViewUpdate();
    if (step->currentLayerToRestore())
        m_grid.pu_subActiveLayerUpdate();
}

void UndoCommand::report(const undo::RestoreOutcome& outcome)
{
    const QString title = QString::fromUtf16(app::kAppTitle);
    bool staleShown = false;
    bool frozenShown = false;
    bool unexpectedShown = false;
    for (const acad::AcadError& failure : outcome.failures) {
        if (failure.number() == acad::error::kKeyNotFound) {
            if (!std::exchange(staleShown, true))
                app::ui().message(TileCommands::staleTileMessage(), app::MsgButtons::Ok,
                                  app::MsgIcon::Critical, title);
        } else if (failure.number() == acad::error::kFrozenLayerCurrent) {
            if (!std::exchange(frozenShown, true))
                app::ui().message(TileCommands::frozenLayerMessage(), app::MsgButtons::Ok,
                                  app::MsgIcon::Exclamation, title);
        } else if (!std::exchange(unexpectedShown, true)) {
            app::reportUnexpectedError(QStringLiteral("CmdUndo_Click"), failure);
        }
    }
}

} // namespace viewer
