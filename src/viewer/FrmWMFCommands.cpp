#include "FrmWMFCommands.h"

#include "FrmWMF.h"
#include "LayerFilter.h"
#include "LayerFilterBox.h"
#include "Toolbar1.h"

#include "app/Twips.h"
#include "export/ExportExcelDialog.h"
#include "info/clsInfo.h"
#include "tile/TileCommands.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QListWidget>
#include <QScrollBar>

namespace viewer {

FrmWMFCommands::FrmWMFCommands(frmWMF& window)
    : QObject(&window), m_window(window),
      m_undo(window.layerUndoHistory(), window, [&window] { return window.oAcadDoc(); })
{
    QWidget* client = window.centralWidget();
    m_toolbar = new Toolbar1(&window, client);
    m_toolbar->placeOverEmptyButtons(window.CboZoom(), app::twipsToPixels(kZoomBoxWidthTwips));
    client->installEventFilter(this);
    placeToolbar();
    m_toolbar->show();

    m_bulk = new BulkCommands(
        window.LstLayers(), *this, [&window] { return window.oAcadDoc(); },
        [&window](const acad::DocumentPtr& document, const acad::NameList& names) {
            frmExportExcel::pu_subShow(document, names, &window);
        },
        &window.layerUndoHistory(), this);

    m_toolbar->setCommands({
        .zoomUp = [&window] { window.pr_subZoomUp(); },
        .zoomDown = [&window] { window.pr_subZoomDown(); },
        .zoomFit = [&window] { window.pr_subZoomFit(); },
        .refresh = [&window] { window.CmdRefresh_Click(); },
        .excel = [this] { m_bulk->CmdExcel_Click(); },
        .selectView = [this] { m_bulk->CmdSelectView_Click(); },
        .selectHide = [this] { m_bulk->CmdSelectHide_Click(); },
        .selectRemove = [this] { m_bulk->CmdSelectRemove_Click(); },
        .allView = [this] { m_bulk->CmdAllView_Click(); },
        .allHide = [this] { m_bulk->CmdAllHide_Click(); },
        .info = [&window] { info::pu_subInfoShow(&window); },
        .undo = [this] { m_undo.CmdUndo_Click(); },
    });
    undo::LayerUndoHistory& history = window.layerUndoHistory();
    connect(&history, &undo::LayerUndoHistory::changed, this,
            [this, &history] { m_toolbar->undoButton()->setEnabled(!history.isEmpty()); });
    connectLayerFilter();

    connect(&window, &frmWMF::tileCreated, this, [](tile::clsDWF* created) { tile::TileCommands::attach(created); });
}

void FrmWMFCommands::connectLayerFilter()
{
    LayerFilterBox* filter = m_toolbar->layerFilter();
    QListWidget* list = m_window.LstLayers();
    connect(filter, &QLineEdit::textEdited, this, [list](const QString& typed) { selectMatchingEntries(*list, typed); });
    connect(filter, &QLineEdit::returnPressed, list, [list] { list->setFocus(Qt::OtherFocusReason); });
    connect(filter, &LayerFilterBox::escapePressed, list, [filter, list] {
        filter->clear();
        list->clearSelection();
    });
}

bool FrmWMFCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.centralWidget() && event->type() == QEvent::Resize)
        placeToolbar();
    return QObject::eventFilter(watched, event);
}

void FrmWMFCommands::placeToolbar()
{
    m_toolbar->setGeometry(0, 0, m_window.centralWidget()->width(), app::twipsToPixels(kToolbarHeightTwips));
    m_toolbar->raise();
}

int FrmWMFCommands::tileCount() const
{
    return m_window.tileCount();
}

int FrmWMFCommands::tileRow(int index) const
{
    tile::clsDWF* found = m_window.oDWF(index);
    return found ? found->iRow() : 0;
}

void FrmWMFCommands::setTileSelected(int index, bool selected)
{
    if (tile::clsDWF* found = m_window.oDWF(index)) {
        if (selected)
            found->SelectView();
        else
            found->ResetSelect();
    }
}

void FrmWMFCommands::hideTileFrame(int index)
{
    if (tile::clsDWF* found = m_window.oDWF(index); found && found->FraOne())
        found->FraOne()->hide();
}

void FrmWMFCommands::removeTile(int index)
{
    auto& tiles = m_window.tileArray();
    if (index < 1 || index > int(tiles.size()))
        return;
    tiles.erase(tiles.begin() + (index - 1));
    for (int k = index; k <= int(tiles.size()); ++k)
        tiles[size_t(k - 1)]->SetIndex(k);
}

void FrmWMFCommands::relayout()
{
    m_window.Form_Resize();
}

void FrmWMFCommands::updateTileStates()
{
    m_window.pu_subCtrlViewUpdate();
}

QSizeF FrmWMFCommands::windowSizeTwips() const
{
    const QRect outer = m_window.frameGeometry();
    return {app::pixelsToTwips(outer.width()), app::pixelsToTwips(outer.height())};
}

QSizeF FrmWMFCommands::firstFrameSizeTwips() const
{
    const auto* first = m_window.PicMain()->findChild<QFrame*>(QStringLiteral("FraOne1"));
    if (!first)
        return {};
    return {app::pixelsToTwips(first->width()), app::pixelsToTwips(first->height())};
}

int FrmWMFCommands::scrollValue() const
{
    return m_window.ScrBarV()->value();
}

void FrmWMFCommands::setScrollValue(int value)
{
    m_window.ScrBarV()->setValue(value);
}

} // namespace viewer
