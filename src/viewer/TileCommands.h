#pragma once

#include <QObject>
#include <QPointF>
#include <QString>

namespace acad {
class AcadError;
}

namespace tile {
class clsDWF;
}

namespace viewer {

class TileGrid;

/// The commands of one tile: what its picture, buttons and linetype box do
/// when the user works them. Created for every tile the grid makes (attach),
/// parented to the tile and connected to its signals, so it lives exactly as
/// long as the tile.
///
/// The buttons, the linetype box and the double-click change the drawing's
/// layers through the grid's layer door (so each change can be taken back)
/// and regenerate it; they do nothing while a refresh runs or while the
/// program itself rewrites the tile. A layer deleted or renamed in the host
/// since the refresh gives the stale-tile message; every other failure the
/// unexpected-error report naming the handler.
class TileCommands : public QObject {
    Q_OBJECT
public:
    TileCommands(tile::clsDWF& tile, TileGrid& grid);

    /// Gives `tile` of `grid` its commands.
    static TileCommands* attach(tile::clsDWF* tile, TileGrid& grid);

    /// Toggles the tile's selected look; unless `shift` is Shift alone (1),
    /// every other tile gets the normal look.
    void pr_oImgOne_MouseDown(Qt::MouseButton button, qint32 shift, QPointF posTwips);
    /// Makes this tile's list entry the only selected one, which scrolls the
    /// grid to the tile and recolours every tile from the list.
    void pr_oImgOne_Click();
    /// Makes the layer current and brings the host forward, or shows the
    /// layer alone, as chosen on the main window.
    void pr_oImgOne_DblClick();
    void pr_oCmdView_Click();
    void pr_oCmdFreeze_Click();
    void pr_oCmdLock_Click();
    /// The colour swatch only shows the layer's colour: a click changes nothing.
    void pr_oCmdColor_Click() {}
    void pr_oCboLineType_Click();

    /// "前回更新した後に…" : the tile's layer (or linetype) is gone from the drawing.
    static QString staleTileMessage();
    /// "フリーズされた画層をアクティブにすることはできません" + CR.
    static QString frozenLayerMessage();

private:
    enum class Toggle { View, Freeze, Lock };
    void toggle(Toggle which, const char* procedure);
    void exclusiveView();
    bool commandsEnabled() const;
    /// The stale-tile message for a missing layer, else the unexpected-error report.
    void reportFailure(const char* procedure, const acad::AcadError& failure);
    void reportFailure(const char* procedure, const std::exception& failure);

    tile::clsDWF& m_tile;
    TileGrid& m_grid;
};

} // namespace viewer
