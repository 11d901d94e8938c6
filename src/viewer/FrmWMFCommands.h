#pragma once

#include "BulkCommands.h"
#include "UndoCommand.h"

#include <QObject>

#include <functional>

class QComboBox;
class QMainWindow;

namespace viewer {

class TileGrid;
class Toolbar1;

/// The toolbar's commands that are the main window's own.
struct WindowCommands {
    std::function<void()> zoomUp;
    std::function<void()> zoomDown;
    std::function<void()> zoomFit;
    std::function<void()> refresh;
};

/// Puts the commands into the main window: the toolbar along the top of the
/// client area with the zoom-ratio box over its two empty buttons, the layer
/// list's handling and the bulk commands over the window's tile grid, the
/// undo button over the grid's layer history, the layer filter over the list,
/// and the commands of every tile a refresh creates. Created by the window
/// itself, parented to it.
class FrmWMFCommands : public QObject {
    Q_OBJECT
public:
    /// Over `window`'s client area, with the zoom-ratio box `zoomBox` laid
    /// over the toolbar, acting on `grid` and running the window's `commands`.
    FrmWMFCommands(QMainWindow& window, QComboBox* zoomBox, TileGrid& grid, WindowCommands commands);

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
    void placeToolbar();
    void connectLayerFilter();

    QMainWindow& m_window;
    TileGrid& m_grid;
    Toolbar1* m_toolbar;
    BulkCommands* m_bulk;
    UndoCommand m_undo;
};

} // namespace viewer
