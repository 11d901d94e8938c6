#pragma once

#include "BulkCommands.h"
#include "UndoCommand.h"

#include <QObject>

class frmWMF;

namespace viewer {

class Toolbar1;

/// Puts the commands into the main window: the toolbar along the top of the
/// client area with the zoom-ratio box over its two empty buttons, the layer
/// list's handling and the bulk commands over the window's tiles, the undo
/// button over the window's layer history, the layer filter over the list,
/// and the commands of every tile a refresh creates. Created by the window
/// itself, parented to it.
class FrmWMFCommands : public QObject, private TileGrid {
    Q_OBJECT
public:
    explicit FrmWMFCommands(frmWMF& window);

    Toolbar1& toolbar() const { return *m_toolbar; }
    BulkCommands& bulk() const { return *m_bulk; }
    UndoCommand& undo() { return m_undo; }

    /// The toolbar band's height in twips; the window's other controls start below it.
    static constexpr double kToolbarHeightTwips = 420;
    /// Width of the zoom-ratio box lying over the two empty buttons.
    static constexpr double kZoomBoxWidthTwips = 615;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the list and the bulk commands need of the window's tiles.
    int tileCount() const override;
    int tileRow(int index) const override;
    void setTileSelected(int index, bool selected) override;
    void hideTileFrame(int index) override;
    void removeTile(int index) override;
    void relayout() override;
    void updateTileStates() override;
    QSizeF windowSizeTwips() const override;
    QSizeF firstFrameSizeTwips() const override;
    int scrollValue() const override;
    void setScrollValue(int value) override;

    void placeToolbar();
    void connectLayerFilter();

    frmWMF& m_window;
    Toolbar1* m_toolbar;
    BulkCommands* m_bulk;
    UndoCommand m_undo;
};

} // namespace viewer
