#include "BulkCommands.h"

#include "acad/LayerCounts.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/UserInterface.h"
#include "TileGrid.h"
#include "undo/LayerDoor.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QSignalBlocker>

#include <cmath>
#include <exception>

namespace viewer {

namespace {
/// Runs one step of a command that goes on whatever happens to the step.
template <typename Step>
bool ignoringFailure(Step&& step)
{
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
} // namespace

std::optional<int> listClickScrollValue(QSizeF windowTwips, QSizeF frameTwips, int tileNumber, int tileRow,
                                        int scrollValue)
{
    const int rows = int(std::floor(windowTwips.height() / (frameTwips.height() + 100.0)));
    const int columns = int(std::floor(windowTwips.width() / (frameTwips.width() + 100.0)));
    if (columns <= 0 || tileNumber < 1)
        return std::nullopt;
    const int column = tileNumber % columns == 0 ? columns : tileNumber % columns;
    const int row = (tileNumber - column) / columns + 1;
    if (tileRow < scrollValue)
        return row;
    if (tileRow > scrollValue + rows - 3)
        return row - rows + 2;
    return std::nullopt;
}

QString layerCountText(const QString& heading, qint32 layerCount, qint32 objectCount)
{
    return heading + QStringLiteral("\r\n画層数:") + QString::number(layerCount)
         + QStringLiteral(" ｵﾌﾞｼﾞｪｸﾄ数:") + QString::number(objectCount);
}

LayerCountTexts pr_subLayerCountText(const acad::DocumentPtr& oAcadDoc, const acad::NameList& sAllLayerArray,
                                     const acad::NameList& sOnLayerArray)
{
    LayerCountTexts texts;
    texts.all = layerCountText(QStringLiteral("全ての画層"), acad::nameCount(sAllLayerArray),
                               acad::CountLayerObjects(oAcadDoc, sAllLayerArray));
    texts.part = layerCountText(QStringLiteral("表示中の画層"), acad::nameCount(sOnLayerArray),
                                acad::CountLayerObjects(oAcadDoc, sOnLayerArray));
    return texts;
}

void setLayersOn(undo::LayerDoor& door, const acad::DocumentPtr& oAcadDoc, const QStringList& names, bool on)
{
    if (!oAcadDoc)
        return;
    undo::LayerChange change;
    change.writes.reserve(std::size_t(names.size()));
    for (const QString& name : names)
        change.writes.push_back(acad::LayerWrite::on(name, on));
    ignoringFailure([&] { door.change(*oAcadDoc, change); });
    ignoringFailure([&] { oAcadDoc->regen(1); });
}

void setAllLayersOn(undo::LayerDoor& door, const acad::DocumentPtr& oAcadDoc, bool on)
{
    if (!oAcadDoc)
        return;
    QStringList names;
    if (!ignoringFailure([&] { names = oAcadDoc->layerNames(); })) {
        ignoringFailure([&] { oAcadDoc->regen(1); });
        return;
    }
    setLayersOn(door, oAcadDoc, names, on);
}

BulkCommands::BulkCommands(TileGrid& tiles, ExportOpener openExport, QObject* parent)
    : QObject(parent), m_list(tiles.LstLayers()), m_tiles(tiles), m_openExport(std::move(openExport))
{
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Every change of the selection or of the current entry, the user's or
    // the program's, runs the click handling; a click on an entry that is
    // already selected changes neither but still scrolls to its tile.
    connect(m_list, &QListWidget::itemSelectionChanged, this, &BulkCommands::LstLayers_Click);
    connect(m_list, &QListWidget::itemClicked, this, &BulkCommands::LstLayers_Click);
    connect(m_list, &QListWidget::currentRowChanged, this, &BulkCommands::LstLayers_Click);
    m_list->installEventFilter(this);
}

bool BulkCommands::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (LstLayers_KeyDown(key->key(), key->modifiers()))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

void BulkCommands::LstLayers_Click()
{
    // Every step goes on when the one before it failed.
    const int tileNumber = m_list->currentRow() + 1;
    ignoringFailure([&] {
        if (tileNumber < 1 || tileNumber > m_tiles.tileCount())
            return;
        const std::optional<int> scroll =
            listClickScrollValue(m_tiles.windowSizeTwips(), m_tiles.firstFrameSizeTwips(), tileNumber,
                                 m_tiles.tileRow(tileNumber), m_tiles.scrollValue());
        if (scroll)
            m_tiles.setScrollValue(*scroll);
    });
    const int entries = qMin(m_list->count(), m_tiles.tileCount());
    for (int i = 0; i < entries; ++i) {
        const bool selected = m_list->item(i)->isSelected();
        ignoringFailure([&] { m_tiles.setTileSelected(i + 1, selected); });
    }
}

bool BulkCommands::LstLayers_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    // Ctrl alone; the keypad flag says nothing about the user's modifiers.
    if (keyCode != Qt::Key_A || (shift & ~Qt::KeypadModifier) != Qt::ControlModifier)
        return false;
    m_list->selectAll();
    return true;
}

acad::NameList BulkCommands::selectedNames() const
{
    acad::NameList names = acad::emptyNameList();
    for (int i = 0; i < m_list->count(); ++i) {
        if (m_list->item(i)->isSelected())
            names.append(m_list->item(i)->text());
    }
    return names;
}

void BulkCommands::pr_subSelectLayerOn(const QString& mode)
{
    const acad::DocumentPtr document = m_tiles.oAcadDoc();
    if (!document)
        return;
    const acad::NameList names = selectedNames();
    setLayersOn(m_tiles.layerDoor(), document, names.mid(1), mode == QStringLiteral("View"));
    ignoringFailure([&] { m_tiles.pu_subCtrlViewUpdate(); });
}

void BulkCommands::CmdAllView_Click()
{
    switchAll(true);
}

void BulkCommands::CmdAllHide_Click()
{
    switchAll(false);
}

void BulkCommands::switchAll(bool on)
{
    const acad::DocumentPtr document = m_tiles.oAcadDoc();
    if (!document)
        return;
    setAllLayersOn(m_tiles.layerDoor(), document, on);
    ignoringFailure([&] { m_tiles.pu_subCtrlViewUpdate(); });
}

void BulkCommands::CmdSelectRemove_Click()
{
    // Removing entries must not run the click handling half-way through,
    // while the list and the tile array are out of step.
    const QSignalBlocker quietList(m_list);
    try {
        for (int n = m_list->count() - 1; n >= 0; --n) {
            if (!m_list->item(n)->isSelected())
                continue;
            if (m_tiles.tileCount() == 1)
                break; // the last tile is never removed
            // Only this entry's own tile is hidden: a list file may name a
            // layer twice, and the other tile of that name stays in view.
            const bool hasTile = n + 1 <= m_tiles.tileCount();
            if (hasTile)
                m_tiles.hideTileFrame(n + 1);
            delete m_list->takeItem(n);
            if (hasTile)
                m_tiles.removeTile(n + 1);
        }
        m_tiles.relayout();
    } catch (const acad::AcadError& failure) {
        app::reportUnexpectedError(QStringLiteral("CmdSelectRemove_Click"), failure);
    } catch (const std::exception& failure) {
        app::reportUnexpectedError(QStringLiteral("CmdSelectRemove_Click"), 0,
                                   QString::fromLocal8Bit(failure.what()));
    }
}

void BulkCommands::CmdExcel_Click()
{
    const acad::DocumentPtr document = m_tiles.oAcadDoc();
    if (!document) {
        app::ui().message(QStringLiteral("図面更新ボタン（ビックリマーク）で図面を読み込んでから実行してください。"),
                          app::MsgButtons::Ok, app::MsgIcon::Exclamation, QString::fromUtf16(app::kAppTitle));
        return;
    }
    if (m_openExport)
        m_openExport(document, selectedNames());
}

} // namespace viewer
