#pragma once

#include "acad/AcadSurface.h"
#include "acad/LayerSnapshot.h"
#include "tile/LinetypeSource.h"
#include "tile/clsDWF.h"
#include "undo/LayerDoor.h"
#include "undo/LayerUndoHistory.h"

#include <QObject>
#include <QRectF>
#include <QSizeF>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QListWidget;
class QRadioButton;
class QScrollBar;
class QWidget;

namespace viewer {

class HostSession;

/// What a double-click on a tile picture does, as the main window's options say.
enum class DoubleClickAction { MakeCurrent, ExclusiveView, Nothing };

/// The grid of layer tiles in the main window's tile area: owns the tile array
/// oDWF and the tiles' controls, creates the tiles in the refresh's three
/// passes, places them by the area's width and the scroll bar, keeps their
/// selected looks, and holds what the tiles' and the list's commands act
/// through (the drawing of the last refresh, the ready flags, the one door for
/// layer changes and its history). Tile numbers are 1-based; tile i belongs
/// to list entry i - 1. All positions and sizes are in twips.
class TileGrid : public QObject, private tile::LinetypeSource {
    Q_OBJECT
public:
    /// The main window's controls the grid works in.
    struct Controls {
        QWidget* picMain = nullptr;        // PicMain: the tile area
        QScrollBar* scrollBar = nullptr;   // ScrBarV: 1 = first row at the top
        QListWidget* layerList = nullptr;  // LstLayers
        QRadioButton* dblClickActive = nullptr;
        QRadioButton* dblClickExclusiveView = nullptr;
    };
    explicit TileGrid(const Controls& controls, QObject* parent = nullptr);
    ~TileGrid() override;

    // --- what the refresh sets ----------------------------------------------
    /// The connection whose linetype list fills the tiles' boxes and whose
    /// host window a double-click brings forward; none before the first refresh.
    void setSession(HostSession* session) { m_session = session; }
    /// Where linetype names come from instead of the session (tests).
    void setLinetypeSource(tile::LinetypeSource* source) { m_linetypes = source; }
    /// A refresh starts: nothing may be laid out or changed until it ends, and
    /// the layer history starts anew (the refresh itself switches layers).
    void beginRefresh();
    /// The tiles are complete: the grid may be laid out.
    void setTileReady(bool ready) { m_bTileReady = ready; }
    bool bTileReady() const { return m_bTileReady; }
    /// bRefreshDone: a refresh has completed; the commands act only then.
    void setRefreshDone(bool done) { m_bRefreshDone = done; }
    bool bRefreshDone() const { return m_bRefreshDone; }
    /// The drawing of the last refresh; null before the first.
    void setDocument(acad::DocumentPtr document) { m_oAcadDoc = std::move(document); }
    const acad::DocumentPtr& oAcadDoc() const { return m_oAcadDoc; }

    // --- the three creation passes ------------------------------------------
    /// Run before every tile of a pass (progress, pending events); may throw
    /// to end the refresh.
    using TileStep = std::function<void()>;
    /// Removes the last refresh's tiles and creates one per name of
    /// `sOnLayerArray` (tile i shows element i) over the drawing, each
    /// announced by tileCreated. Throws (number 9) for a list without names.
    void pr_subCreateTiles(const acad::NameList& sOnLayerArray, const TileStep& step);
    /// Loads each tile's picture from `folder` (named as the host names it)
    /// and fits it; a tile without a picture is left empty.
    void pr_subLoadTilePictures(const acad::NameList& sOnLayerArray, const QString& folder, const TileStep& step);
    /// Every tile reads its layer's state.
    void pr_subReadTileStates(const TileStep& step);

    // --- the tiles ----------------------------------------------------------
    int tileCount() const { return int(m_oDWF.size()); }
    /// Tile `index` (1-based); null when there is none.
    tile::clsDWF* oDWF(int index) const;
    /// The grid row (1-based) tile `index` was last placed in; 0 without the tile.
    int tileRow(int index) const;
    /// Gives tile `index` the selected look or the normal one.
    void setTileSelected(int index, bool selected);
    /// Every tile but tile `iIndex` is shown as not selected.
    void pu_subResetSelect(qint32 iIndex);
    /// Hides tile `index`'s frame; it stays hidden until the next refresh.
    void hideTileFrame(int index);
    /// Drops tile `index` from the array: the tiles after it move one slot
    /// back and are told their new index; the dropped tile is released.
    void removeTile(int index);
    /// Every tile re-checks whether its layer is the current one (the name
    /// read once for all of them).
    void pu_subActiveLayerUpdate();
    /// Every tile re-reads its layer's state with its events off (one read of
    /// the drawing for all of them).
    void pu_subCtrlViewUpdate();
    /// Every tile picture takes the overview's size and offset.
    void pu_subImageUpdate(const QRectF& overviewTwips);

    // --- placement and scrolling --------------------------------------------
    /// The tile area's width in twips, as the window's pane layout set it.
    void setAreaWidth(double twips) { m_areaWidth = twips; }
    double areaWidth() const { return m_areaWidth; }
    /// Once the tiles are ready: every tile placed from its index, the
    /// window's caption with the grid's size, the scroll bar's range and the
    /// tiles placed for its value.
    void relayout();
    /// Places every tile for the scroll bar's value.
    void ScrBarV_Change();
    int scrollValue() const;
    void setScrollValue(int value);
    /// The main window's outer size and the first tile frame's size.
    QSizeF windowSizeTwips() const;
    QSizeF firstFrameSizeTwips() const;

    // --- what the tiles' commands act through -------------------------------
    QListWidget* LstLayers() const { return m_controls.layerList; }
    DoubleClickAction doubleClickAction() const;
    /// lnAcadHwnd: the host's main window as found by the last refresh; 0 when none.
    qint64 lnAcadHwnd() const;
    /// The one door every layer change goes through, and its history.
    undo::LayerDoor& layerDoor() { return m_door; }
    undo::LayerUndoHistory& layerUndoHistory() { return m_history; }

signals:
    /// A refresh created `tile` (its commands attach here).
    void tileCreated(tile::clsDWF* tile);

protected:
    /// The wheel over the tile area moves the grid by whole rows.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const acad::NameList& sLineTypeList() const override;
    void ReadLinetypeList() override;

    tile::TileControls createTileControls(qint32 i);
    void pr_subRemoveTiles();
    /// Every tile re-reads its layer (one read of the drawing for all tiles
    /// where the backend has one), each step between `beforeTile` and `afterTile`.
    void pr_subSetTileStates(const std::function<void(tile::clsDWF&)>& beforeTile,
                             const std::function<void(tile::clsDWF&)>& afterTile);
    /// The current layer's name, read once for many tiles; none when the read
    /// failed (each tile then asks and reports on its own).
    std::optional<QString> currentLayerName() const;
    qint32 areaWidthForTiles() const;

    Controls m_controls;
    tile::TileControls m_tile1;
    std::vector<std::unique_ptr<tile::clsDWF>> m_oDWF;
    acad::DocumentPtr m_oAcadDoc;
    HostSession* m_session = nullptr;
    tile::LinetypeSource* m_linetypes = nullptr;
    bool m_bTileReady = false;
    bool m_bRefreshDone = false;
    double m_areaWidth = 0;
    undo::LayerUndoHistory m_history;
    undo::LayerDoor m_door{m_history};
};

} // namespace viewer
