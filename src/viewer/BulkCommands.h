#pragma once

#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"

#include <QObject>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QListWidget;

namespace undo {
class LayerDoor;
}

namespace viewer {

class TileGrid;

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

/// Switches the layers named in `names` on or off through `door` (one batch
/// of writes, recorded so it can be taken back) and regenerates every
/// viewport. Names no longer in the drawing and every other failure are
/// skipped.
void setLayersOn(undo::LayerDoor& door, const acad::DocumentPtr& oAcadDoc, const QStringList& names, bool on);
/// Switches every layer of the drawing on or off, in the table's order,
/// including the current layer and layers without tiles, then regenerates.
/// Failures are skipped.
void setAllLayersOn(undo::LayerDoor& door, const acad::DocumentPtr& oAcadDoc, bool on);

/// The layer list's handling and the commands of the toolbar that act on the
/// list's selection or on every layer. Lives beside the main window, which
/// owns the list and the tiles.
class BulkCommands : public QObject {
    Q_OBJECT
public:
    using ExportOpener = std::function<void(const acad::DocumentPtr&, const acad::NameList&)>;

    /// Acts on `tiles` and the drawing of its last refresh (none before one),
    /// changing layers through its door; `openExport` opens the export
    /// dialog with the names to preselect. Watches the grid's layer list so
    /// every change of its selection, by the user or by the program, runs
    /// LstLayers_Click, and Ctrl+A selects every entry.
    BulkCommands(TileGrid& tiles, ExportOpener openExport, QObject* parent = nullptr);

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

    QListWidget* m_list;
    TileGrid& m_tiles;
    ExportOpener m_openExport;
};

} // namespace viewer
