#pragma once

#include <QToolBar>

#include <array>
#include <functional>

class QAction;
class QToolButton;

namespace viewer {

class LayerFilterBox;

/// What the toolbar's buttons run. A command left empty makes its button do
/// nothing.
struct ToolbarCommands {
    std::function<void()> zoomUp;       // button 3
    std::function<void()> zoomDown;     // button 4
    std::function<void()> zoomFit;      // button 5
    std::function<void()> refresh;      // button 7, the refresh body
    std::function<void()> excel;        // button 9
    std::function<void()> selectView;   // button 11
    std::function<void()> selectHide;   // button 12
    std::function<void()> selectRemove; // button 13
    std::function<void()> allView;      // button 14
    std::function<void()> allHide;      // button 15
    std::function<void()> info;         // button 17
    std::function<void()> undo;         // the undo button after them
};

/// The main window's toolbar: 17 buttons by 1-based index, two empty ones at
/// the left under the zoom-ratio box, separators at 6, 8, 10 and 16, and the
/// zoom, refresh, export, bulk and information buttons with their pictures
/// and tooltips. A click on button i runs Toolbar1_ButtonClick(i). After
/// them come the undo button and, at the right end, the layer filter box.
class Toolbar1 : public QToolBar {
    Q_OBJECT
public:
    static constexpr int kButtonCount = 17;

    /// `mainWindow` is the window the refresh button disables while it runs.
    explicit Toolbar1(QWidget* mainWindow, QWidget* parent = nullptr);

    void setCommands(ToolbarCommands commands) { m_commands = std::move(commands); }

    /// The action of button `index` (1..17); separators are actions too.
    /// nullptr outside that range.
    QAction* button(int index) const;
    /// 「直前の画層状態に戻す」: runs the undo command; disabled until enabled.
    QAction* undoButton() const { return m_undo; }
    LayerFilterBox* layerFilter() const { return m_filter; }

    /// Runs the command of button `index`. The refresh (7) disables the main
    /// window while it runs, then enables it again, even when the refresh
    /// fails, and brings it to the front. Indexes without a command do nothing.
    void Toolbar1_ButtonClick(int index);

    /// Lays `widget` over the two empty buttons at the left end, `widthPixels`
    /// wide, and keeps it there when the toolbar lays itself out again.
    void placeOverEmptyButtons(QWidget* widget, int widthPixels);

    /// Puts the cursor in the filter box, opening the overflow first when
    /// the box lies in it (a window narrower than the toolbar).
    void focusLayerFilter();
    /// Whether the overflow (the » button's rows) is open.
    bool overflowOpen() const;
    /// Opens or closes the overflow. Open, the toolbar grows down over the
    /// window's upper band, raised above it, until » is pressed again, the
    /// filter box is left, or the window is resized.
    void setOverflowOpen(bool open);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void addButton(int index, const QString& picture, const QString& tooltip);
    void addSeparatorAt(int index);
    void addEmptyButton(int index);
    void addUndoAndFilter();
    void runRefresh();
    void keepOverlayInPlace();

    QWidget* m_mainWindow;
    ToolbarCommands m_commands;
    std::array<QAction*, kButtonCount + 1> m_buttons{}; // [0] unused
    QWidget* m_overlay = nullptr;
    QAction* m_undo = nullptr;
    LayerFilterBox* m_filter = nullptr;
    QToolButton* m_overflowButton = nullptr;
    bool m_overflowOpen = false;
    int m_closedHeight = 0;
};

} // namespace viewer
