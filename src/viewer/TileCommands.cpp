#include "TileCommands.h"

#include "StatePictures.h"
#include "TileHost.h"
#include "clsDWF.h"

#include "acad/AcadError.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/UserInterface.h"
#include "app/WindowHelpers.h"

#include <QListWidget>
#include <QSignalBlocker>

#include <utility>
#include <vector>

namespace tile {

namespace {
QString appTitle() { return QString::fromUtf16(app::kAppTitle); }
} // namespace

TileCommands::TileCommands(clsDWF& tile) : QObject(&tile), m_tile(tile)
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

TileCommands* TileCommands::attach(clsDWF* tile)
{
    return new TileCommands(*tile);
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
    return m_tile.m_bEnableEvent && m_tile.m_host.bRefreshDone();
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
    bool& flag = which == Toggle::View ? m_tile.m_bLayerOn
               : which == Toggle::Freeze ? m_tile.m_bAllViewportFreaze
                                         : m_tile.m_bLock;
    const bool wanted = !flag;
    try {
        const acad::LayerPtr layer = m_tile.m_oAcadDoc->layers()->item(m_tile.m_sLayerName);
        ImageButton* button = nullptr;
        StatePicture picture{};
        undo::LayerChangeStep step;
        // The state before is the drawing's, not the tile's flag: the host
        // may have changed the layer since the tile last read it.
        switch (which) {
        case Toggle::View: {
            const bool before = layer->layerOn();
            layer->setLayerOn(wanted);
            step.recordOn(m_tile.m_sLayerName, before, wanted);
            button = m_tile.pr_oCmdView;
            picture = wanted ? StatePicture::ViewOn : StatePicture::ViewOff;
            break;
        }
        case Toggle::Freeze: {
            const bool before = layer->freeze();
            layer->setFreeze(wanted);
            step.recordFrozen(m_tile.m_sLayerName, before, wanted);
            button = m_tile.pr_oCmdFreeze;
            picture = wanted ? StatePicture::FreezeOn : StatePicture::FreezeOff;
            break;
        }
        case Toggle::Lock: {
            const bool before = layer->lock();
            layer->setLock(wanted);
            step.recordLocked(m_tile.m_sLayerName, before, wanted);
            button = m_tile.pr_oCmdLock;
            picture = wanted ? StatePicture::LockOn : StatePicture::LockOff;
            break;
        }
        }
        m_tile.m_host.recordLayerChange(std::move(step));
        // The flag follows the drawing: it changes only once the host has
        // taken the change, so a refused change (freezing the current layer,
        // a layer gone from the drawing) leaves flag, picture and drawing
        // in agreement and the next click tries the same change again.
        flag = wanted;
        if (button)
            button->showPicture(statePixmap(picture, button->devicePixelRatioF()), statePictureName(picture));
        m_tile.m_oAcadDoc->regen(1);
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
        const QString chosen = m_tile.pr_oCboLineType ? m_tile.pr_oCboLineType->currentText() : QString();
        const acad::LayerPtr layer = m_tile.m_oAcadDoc->layers()->item(m_tile.m_sLayerName);
        const QString before = layer->linetype();
        layer->setLinetype(chosen);
        undo::LayerChangeStep step;
        step.recordLinetype(m_tile.m_sLayerName, before, chosen);
        m_tile.m_host.recordLayerChange(std::move(step));
        m_tile.m_oAcadDoc->regen(1);
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
        if (m_tile.m_bSelect)
            m_tile.ResetSelect();
        else
            m_tile.SelectView();
        if (shift != kShiftAlone)
            m_tile.m_host.pu_subResetSelect(m_tile.m_iIndex);
    } catch (const std::exception& failure) {
        reportFailure("pr_oImgOne_MouseDown", failure);
    }
}

void TileCommands::pr_oImgOne_Click()
{
    try {
        QListWidget* list = m_tile.m_host.LstLayers();
        const int entry = m_tile.m_iIndex - 1;
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
    TileHost& host = m_tile.m_host;
    try {
        if (host.OptDblClickActive()) {
            const acad::DocumentPtr& document = m_tile.m_oAcadDoc;
            const QString before = document->activeLayer()->name();
            document->setActiveLayer(document->layers()->item(m_tile.m_sLayerName));
            undo::LayerChangeStep step;
            step.recordCurrentLayer(before, m_tile.m_sLayerName);
            host.recordLayerChange(std::move(step));
            host.pu_subActiveLayerUpdate();
            app::SetForeground(qint32(host.lnAcadHwnd()));
        } else if (host.OptDblClickExclusiveView()) {
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
    const acad::DocumentPtr& document = m_tile.m_oAcadDoc;
    // Every layer off in the table's order, then this tile's layer on: one
    // read of the on/off states and one batch of writes.
    const std::vector<acad::LayerOnState> before = document->layerOnStates();
    acad::LayerWrites writes;
    writes.reserve(before.size() + 1);
    for (const acad::LayerOnState& layer : before)
        writes.push_back(acad::LayerWrite::on(layer.name, false));
    writes.push_back(acad::LayerWrite::on(m_tile.m_sLayerName, true));
    try {
        document->setLayerProperties(writes, acad::OnRefusal::Stop);
    } catch (const acad::LayerWriteRefused& refusal) {
        // The layers switched off so far get their state back, so the user's
        // drawing is never left with layers off that the command did not
        // finish; a layer that vanished meanwhile has nothing to put back.
        acad::LayerWrites putBack;
        for (std::size_t i = 0; i < std::size_t(refusal.index()) && i < before.size(); ++i) {
            if (before[i].on)
                putBack.push_back(acad::LayerWrite::on(before[i].name, true));
        }
        try {
            document->setLayerProperties(putBack, acad::OnRefusal::Skip);
        } catch (const std::exception&) {
        }
        throw;
    }
    undo::LayerChangeStep step;
    for (const acad::LayerOnState& layer : before)
        step.recordOn(layer.name, layer.on, false);
    // The loop met this layer too and recorded where it started; this adds
    // only the last write.
    step.recordOn(m_tile.m_sLayerName, false, true);
    m_tile.m_host.recordLayerChange(std::move(step));
    document->regen(1);
    m_tile.m_host.pu_subCtrlViewUpdate();
}

} // namespace tile
