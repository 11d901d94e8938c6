#pragma once

#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"
#include "undo/LayerChangeStep.h"

#include <QObject>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QListWidget;

namespace undo {
class LayerUndoHistory;
}

namespace viewer {

/// What the layer list and the bulk commands need of the main window's tiles
/// and grid. Tile numbers are 1-based; tile i belongs to list entry i - 1.
class TileGrid {
public:
    virtual ~TileGrid() = default;
    /// Number of tiles in the tile array.
    virtual int tileCount() const = 0;
    /// The grid row (1-based) tile `index` was last placed in.
    virtual int tileRow(int index) const = 0;
    /// Gives tile `index` the selected look or the normal one.
    virtual void setTileSelected(int index, bool selected) = 0;
    /// Hides tile `index`'s frame; it stays hidden until the next refresh.
    virtual void hideTileFrame(int index) = 0;
    /// Drops tile `index` from the array: the tiles after it move one slot
    /// back and are told their new index; the dropped tile is released.
    virtual void removeTile(int index) = 0;
    /// The window's resize handling: every tile placed from its index, the
    /// scroll bar and the caption updated.
    virtual void relayout() = 0;
    /// Every tile re-reads its layer from the drawing and shows it.
    virtual void updateTileStates() = 0;
    /// The main window's outer size and the first tile frame's size, in twips.
    virtual QSizeF windowSizeTwips() const = 0;
    virtual QSizeF firstFrameSizeTwips() const = 0;
    /// The grid's vertical scroll bar (1 = first row at the top).
    virtual int scrollValue() const = 0;
    virtual void setScrollValue(int value) = 0;
};

/// Where the list click scrolls the grid to bring tile `tileNumber` into view:
/// the window fits `rows` = Int(height / (frame height + 100)) rows and
/// `columns` = Int(width / (frame width + 100)) columns; a tile above the view
/// puts its row at the top, one below the view (row beyond scroll + rows - 3)
/// puts it near the bottom. No value when the scroll bar stays as it is, or
/// when the window is too narrow for a single column.
std::optional<int> listClickScrollValue(QSizeF windowTwips, QSizeF frameTwips, int tileNumber, int tileRow,
                                        int scrollValue);

/// One count box's text: the heading, CR LF, then "画層数:" with the number
/// of layers and " ｵﾌﾞｼﾞｪｸﾄ数:" with the number of objects, in plain decimal.
QString layerCountText(const QString& heading, qint32 layerCount, qint32 objectCount);

/// The texts of the two count boxes at the end of a refresh.
struct LayerCountTexts {
    QString all;  // TxtALL: every layer of the drawing
    QString part; // TxtPart: the layers with tiles
};
/// Counts the objects on the layers of both lists in `oAcadDoc`. Failures go
/// to the caller (the refresh).
LayerCountTexts pr_subLayerCountText(const acad::DocumentPtr& oAcadDoc, const acad::NameList& sAllLayerArray,
                                     const acad::NameList& sOnLayerArray);

/// Switches the layers named in `names` on or off (one batch of writes) and
/// regenerates every viewport. Names no longer in the drawing and every
/// other failure are skipped; returns what the layers switched were before,
/// to take it back.
undo::LayerChangeStep setLayersOn(const acad::DocumentPtr& oAcadDoc, const QStringList& names, bool on);
/// Switches every layer of the drawing on or off, in the table's order,
/// including the current layer and layers without tiles, then regenerates.
/// Failures are skipped; returns what the layers switched were before.
undo::LayerChangeStep setAllLayersOn(const acad::DocumentPtr& oAcadDoc, bool on);

/// The layer list's handling and the commands of the toolbar that act on the
/// list's selection or on every layer. Lives beside the main window, which
/// owns the list and the tiles.
class BulkCommands : public QObject {
    Q_OBJECT
public:
    using DocumentSource = std::function<acad::DocumentPtr()>;
    using ExportOpener = std::function<void(const acad::DocumentPtr&, const acad::NameList&)>;

    /// `document` gives the drawing of the last refresh (null before one);
    /// `openExport` opens the export dialog with the names to preselect;
    /// the on/off commands put what they change into `history` when given.
    /// Watches `LstLayers` so every change of its selection, by the user or
    /// by the program, runs LstLayers_Click, and Ctrl+A selects every entry.
    BulkCommands(QListWidget* LstLayers, TileGrid& tiles, DocumentSource document, ExportOpener openExport,
                 undo::LayerUndoHistory* history = nullptr, QObject* parent = nullptr);

    /// Scrolls the grid to the current entry's tile and gives the selected
    /// entries' tiles the selected look, the others the normal one.
    void LstLayers_Click();
    /// Ctrl+A (Ctrl alone) selects every entry; returns whether the key was taken.
    bool LstLayers_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

    void CmdSelectView_Click() { pr_subSelectLayerOn(QStringLiteral("View")); }
    void CmdSelectHide_Click() { pr_subSelectLayerOn(QStringLiteral("Hide")); }
    /// "View" switches the selected entries' layers on, "Hide" off; then every tile re-reads.
    void pr_subSelectLayerOn(const QString& mode);
    void CmdAllView_Click();
    void CmdAllHide_Click();
    /// Removes the selected entries and their tiles from the view (never the
    /// last tile); the drawing is not touched.
    void CmdSelectRemove_Click();
    /// Opens the export dialog with the selected names; before the first
    /// refresh it asks for one instead.
    void CmdExcel_Click();

    /// The selected entries' texts, first to last, as a name list.
    acad::NameList selectedNames() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void switchAll(bool on);
    void record(undo::LayerChangeStep step);

    QListWidget* m_list;
    TileGrid& m_tiles;
    DocumentSource m_document;
    ExportOpener m_openExport;
    undo::LayerUndoHistory* m_history;
};

} // namespace viewer
