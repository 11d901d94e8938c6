#include "BulkCommands.h"

#include "acad/LayerCounts.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/UserInterface.h"
#include "undo/LayerUndoHistory.h"

#include <QHash>
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

namespace {

// Switches the named layers in one batch, skipping a layer the drawing no
// longer holds, then regenerates. The on/off states are read first (one
// read of the drawing), so that the step can be taken back.
undo::LayerChangeStep switchNamedLayers(const acad::DocumentPtr& oAcadDoc,
                                        const std::vector<acad::LayerOnState>& states, const QStringList& names,
                                        bool on)
{
    undo::LayerChangeStep step;
    QHash<QString, bool> before;
    for (const acad::LayerOnState& state : states)
        before.insert(state.name.toCaseFolded(), state.on);
    acad::LayerWrites writes;
    writes.reserve(std::size_t(names.size()));
    for (const QString& name : names)
        writes.push_back(acad::LayerWrite::on(name, on));
    std::vector<qint32> refused;
    if (ignoringFailure([&] { refused = oAcadDoc->setLayerProperties(writes, acad::OnRefusal::Skip); })) {
        std::size_t next = 0;
        for (std::size_t i = 0; i < writes.size(); ++i) {
            if (next < refused.size() && std::size_t(refused[next]) == i) {
                ++next;
                continue;
            }
            const auto found = before.constFind(writes[i].layer.toCaseFolded());
            if (found != before.cend())
                step.recordOn(writes[i].layer, *found, on);
        }
    }
    ignoringFailure([&] { oAcadDoc->regen(1); });
    return step;
}

} // namespace

undo::LayerChangeStep setLayersOn(const acad::DocumentPtr& oAcadDoc, const QStringList& names, bool on)
{
    if (!oAcadDoc)
        return {};
    std::vector<acad::LayerOnState> states;
    ignoringFailure([&] { states = oAcadDoc->layerOnStates(); });
    return switchNamedLayers(oAcadDoc, states, names, on);
}

undo::LayerChangeStep setAllLayersOn(const acad::DocumentPtr& oAcadDoc, bool on)
{
    if (!oAcadDoc)
        return {};
    std::vector<acad::LayerOnState> states;
    if (!ignoringFailure([&] { states = oAcadDoc->layerOnStates(); })) {
        ignoringFailure([&] { oAcadDoc->regen(1); });
        return {};
    }
    QStringList names;
    names.reserve(qsizetype(states.size()));
    for (const acad::LayerOnState& state : states)
        names.append(state.name);
    return switchNamedLayers(oAcadDoc, states, names, on);
}

BulkCommands::BulkCommands(QListWidget* LstLayers, TileGrid& tiles, DocumentSource document,
                           ExportOpener openExport, undo::LayerUndoHistory* history, QObject* parent)
    : QObject(parent), m_list(LstLayers), m_tiles(tiles), m_document(std::move(document)),
      m_openExport(std::move(openExport)), m_history(history)
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
    const acad::DocumentPtr document = m_document();
    if (!document)
        return;
    const acad::NameList names = selectedNames();
    record(setLayersOn(document, names.mid(1), mode == QStringLiteral("View")));
    ignoringFailure([&] { m_tiles.updateTileStates(); });
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
    const acad::DocumentPtr document = m_document();
    if (!document)
        return;
    record(setAllLayersOn(document, on));
    ignoringFailure([&] { m_tiles.updateTileStates(); });
}

void BulkCommands::record(undo::LayerChangeStep step)
{
    if (m_history)
        m_history->push(std::move(step));
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
    const acad::DocumentPtr document = m_document();
    if (!document) {
        app::ui().message(QStringLiteral("図面更新ボタン（ビックリマーク）で図面を読み込んでから実行してください。"),
                          app::MsgButtons::Ok, app::MsgIcon::Exclamation, QString::fromUtf16(app::kAppTitle));
        return;
    }
    if (m_openExport)
        m_openExport(document, selectedNames());
}

} // namespace viewer
