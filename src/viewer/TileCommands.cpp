#include "TileCommands.h"

#include "TileGrid.h"

#include "tile/clsDWF.h"

#include "acad/AcadError.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"

#include <QListWidget>
#include <QSignalBlocker>

#include <vector>

namespace viewer {

using tile::clsDWF;

namespace {
QString appTitle() { return QString::fromUtf16(app::kAppTitle); }
} // namespace

TileCommands::TileCommands(clsDWF& tile, TileGrid& grid) : QObject(&tile), m_tile(tile), m_grid(grid)
{
    connect(&tile, &clsDWF::pr_oImgOne_MouseDown, this, &TileCommands::pr_oImgOne_MouseDown);
    connect(&tile, &clsDWF::pr_oImgOne_Click, this, &TileCommands::pr_oImgOne_Click);
    connect(&tile, &clsDWF::pr_oImgOne_DblClick, this, &TileCommands::pr_oImgOne_DblClick);
    connect(&tile, &clsDWF::pr_oCmdView_Click, this, &TileCommands::pr_oCmdView_Click);
    connect(&tile, &clsDWF::pr_oCmdFreeze_Click, this, &TileCommands::pr_oCmdFreeze_Click);
    connect(&tile, &clsDWF::pr_oCmdLock_Click, this, &TileCommands::pr_oCmdLock_Click);
    connect(&tile, &clsDWF::pr_oCmdColor_Click, this, &TileCommands::pr_oCmdColor_Click);
    connect(&tile, &clsDWF::pr_oCboLineType_Click, this, &TileCommands::pr_oCboLineType_Click);
}

TileCommands* TileCommands::attach(clsDWF* tile, TileGrid& grid)
{
    return new TileCommands(*tile, grid);
}

QString TileCommands::staleTileMessage()
{
    return QStringLiteral("前回更新した後にAutoCAD側で画層の追加・削除") + QChar(u'\r')
         + QStringLiteral("又は線種の追加・削除をした可能性がある為更新ボタンで再度更新して下さい。");
}

QString TileCommands::frozenLayerMessage()
{
    return QStringLiteral("フリーズされた画層をアクティブにすることはできません") + QChar(u'\r');
}

bool TileCommands::commandsEnabled() const
{
    return m_tile.bEnableEvent() && m_grid.bRefreshDone();
}

void TileCommands::reportFailure(const char* procedure, const acad::AcadError& failure)
{
    if (failure.number() == acad::error::kKeyNotFound)
        app::ui().message(staleTileMessage(), app::MsgButtons::Ok, app::MsgIcon::Critical, appTitle());
    else
        app::reportUnexpectedError(QString::fromLatin1(procedure), failure);
}

void TileCommands::reportFailure(const char* procedure, const std::exception& failure)
{
    app::reportUnexpectedError(QString::fromLatin1(procedure), 0, QString::fromLocal8Bit(failure.what()));
}

void TileCommands::pr_oCmdView_Click()
{
    toggle(Toggle::View, "pr_oCmdView_Click");
}

void TileCommands::pr_oCmdFreeze_Click()
{
    toggle(Toggle::Freeze, "pr_oCmdFreeze_Click");
}

void TileCommands::pr_oCmdLock_Click()
{
    toggle(Toggle::Lock, "pr_oCmdLock_Click");
}

void TileCommands::toggle(Toggle which, const char* procedure)
{
    if (!commandsEnabled())
        return;
    const QString& layer = m_tile.sLayerName();
    const bool wanted = which == Toggle::View     ? !m_tile.bLayerOn()
                      : which == Toggle::Freeze ? !m_tile.bAllViewportFreaze()
                                                : !m_tile.bLock();
    const acad::LayerWrite write = which == Toggle::View     ? acad::LayerWrite::on(layer, wanted)
                                 : which == Toggle::Freeze ? acad::LayerWrite::freeze(layer, wanted)
                                                           : acad::LayerWrite::lock(layer, wanted);
    try {
        // The step records the drawing's state before, not the tile's flag:
        // the host may have changed the layer since the tile last read it.
        m_grid.layerDoor().change(*m_tile.oAcadDoc(), {{write}, std::nullopt, acad::OnRefusal::Stop});
        // The flag follows the drawing: it changes only once the host has
        // taken the change, so a refused change (freezing the current layer,
        // a layer gone from the drawing) leaves flag, picture and drawing
        // in agreement and the next click tries the same change again.
        if (which == Toggle::View)
            m_tile.showLayerOn(wanted);
        else if (which == Toggle::Freeze)
            m_tile.showFrozen(wanted);
        else
            m_tile.showLocked(wanted);
        m_tile.oAcadDoc()->regen(1);
    } catch (const acad::AcadError& failure) {
        reportFailure(procedure, failure);
    } catch (const std::exception& failure) {
        reportFailure(procedure, failure);
    }
}

void TileCommands::pr_oCboLineType_Click()
{
    if (!commandsEnabled())
        return;
    try {
        const acad::LayerWrite write = acad::LayerWrite::linetype(m_tile.sLayerName(), m_tile.chosenLineType());
        m_grid.layerDoor().change(*m_tile.oAcadDoc(), {{write}, std::nullopt, acad::OnRefusal::Stop});
        m_tile.oAcadDoc()->regen(1);
    } catch (const acad::AcadError& failure) {
        reportFailure("pr_oCboLineType_Click", failure);
    } catch (const std::exception& failure) {
        reportFailure("pr_oCboLineType_Click", failure);
    }
}

void TileCommands::pr_oImgOne_MouseDown(Qt::MouseButton, qint32 shift, QPointF)
{
    constexpr qint32 kShiftAlone = 1;
    try {
        if (m_tile.bSelect())
            m_tile.ResetSelect();
        else
            m_tile.SelectView();
        if (shift != kShiftAlone)
            m_grid.pu_subResetSelect(m_tile.iIndex());
    } catch (const std::exception& failure) {
        reportFailure("pr_oImgOne_MouseDown", failure);
    }
}

void TileCommands::pr_oImgOne_Click()
{
    try {
        QListWidget* list = m_grid.LstLayers();
        const int entry = m_tile.iIndex() - 1;
        if (!list || entry < 0 || entry >= list->count())
            return;
        {
            // One change of the selection, not one per entry: the list's own
            // handling recolours every tile, which must not run a thousand
            // times for a thousand entries.
            const QSignalBlocker once(list);
            list->clearSelection();
            list->setCurrentRow(entry, QItemSelectionModel::ClearAndSelect);
        }
        // The handling runs even when the selection already was this entry
        // alone: the press before this click may have changed the tile's look.
        emit list->itemSelectionChanged();
    } catch (const std::exception& failure) {
        reportFailure("pr_oImgOne_Click", failure);
    }
}

void TileCommands::pr_oImgOne_DblClick()
{
    try {
        const DoubleClickAction action = m_grid.doubleClickAction();
        if (action == DoubleClickAction::MakeCurrent) {
            m_grid.layerDoor().change(*m_tile.oAcadDoc(), {{}, m_tile.sLayerName(), acad::OnRefusal::Stop});
            m_grid.pu_subActiveLayerUpdate();
            app::SetForeground(qint32(m_grid.lnAcadHwnd()));
        } else if (action == DoubleClickAction::ExclusiveView) {
            exclusiveView();
        }
    } catch (const acad::AcadError& failure) {
        if (failure.number() == acad::error::kFrozenLayerCurrent)
            app::ui().message(frozenLayerMessage(), app::MsgButtons::Ok, app::MsgIcon::Exclamation, appTitle());
        else
            reportFailure("pr_oImgOne_DblClick", failure);
    } catch (const std::exception& failure) {
        reportFailure("pr_oImgOne_DblClick", failure);
    }
}

void TileCommands::exclusiveView()
{
    acad::Document& document = *m_tile.oAcadDoc();
    // Every layer off in the table's order, then this tile's layer on, as one
    // change: should the drawing refuse one, the layers switched off so far
    // get their state back, so the user's drawing is never left with layers
    // off that the command did not finish.
    const QStringList names = document.layerNames();
    undo::LayerChange change;
    change.onRefusal = acad::OnRefusal::Stop;
    change.writes.reserve(std::size_t(names.size()) + 1);
    for (const QString& name : names)
        change.writes.push_back(acad::LayerWrite::on(name, false));
    change.writes.push_back(acad::LayerWrite::on(m_tile.sLayerName(), true));
    m_grid.layerDoor().change(document, change);
    document.regen(1);
    m_grid.pu_subCtrlViewUpdate();
}

} // namespace viewer
