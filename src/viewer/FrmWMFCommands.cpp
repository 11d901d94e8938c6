#include "FrmWMFCommands.h"

#include "LayerFilter.h"
#include "LayerFilterBox.h"
#include "Toolbar1.h"

#include "ExportExcelDialog.h"
#include "TileCommands.h"
#include "TileGrid.h"
#include "app/Twips.h"
#include "info/clsInfo.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QListWidget>
#include <QMainWindow>

namespace viewer {

FrmWMFCommands::FrmWMFCommands(QMainWindow& window, QComboBox* zoomBox, TileGrid& grid, WindowCommands commands)
    : QObject(&window), m_window(window), m_grid(grid), m_undo(grid)
{
    QWidget* client = window.centralWidget();
    m_toolbar = new Toolbar1(&window, client);
    m_toolbar->placeOverEmptyButtons(zoomBox, app::twipsToPixels(kZoomBoxWidthTwips));
    client->installEventFilter(this);
    placeToolbar();
    m_toolbar->show();

    m_bulk = new BulkCommands(
        grid,
        [&window](const acad::DocumentPtr& document, const acad::NameList& names) {
            frmExportExcel::pu_subShow(document, names, &window);
        },
        this);

    m_toolbar->setCommands({
        .zoomUp = std::move(commands.zoomUp),
        .zoomDown = std::move(commands.zoomDown),
        .zoomFit = std::move(commands.zoomFit),
        .refresh = std::move(commands.refresh),
        .excel = [this] { m_bulk->CmdExcel_Click(); },
        .selectView = [this] { m_bulk->CmdSelectView_Click(); },
        .selectHide = [this] { m_bulk->CmdSelectHide_Click(); },
        .selectRemove = [this] { m_bulk->CmdSelectRemove_Click(); },
        .allView = [this] { m_bulk->CmdAllView_Click(); },
        .allHide = [this] { m_bulk->CmdAllHide_Click(); },
        .info = [&window] { info::pu_subInfoShow(&window); },
        .undo = [this] { m_undo.CmdUndo_Click(); },
    });
    undo::LayerUndoHistory& history = grid.layerUndoHistory();
    connect(&history, &undo::LayerUndoHistory::changed, this,
            [this, &history] { m_toolbar->undoButton()->setEnabled(!history.isEmpty()); });
    connectLayerFilter();

    connect(&grid, &TileGrid::tileCreated, this, [&grid](tile::clsDWF* created) { TileCommands::attach(created, grid); });
}

void FrmWMFCommands::connectLayerFilter()
{
    LayerFilterBox* filter = m_toolbar->layerFilter();
    QListWidget* list = m_grid.LstLayers();
    // Ctrl+F reaches the box from anywhere in the window, behind » too.
    auto* find = new QAction(&m_window);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    m_window.addAction(find);
    connect(find, &QAction::triggered, m_toolbar, &Toolbar1::focusLayerFilter);
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

} // namespace viewer
