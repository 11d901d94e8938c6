#include "Toolbar1.h"

#include "LayerFilterBox.h"

#include "app/WindowHelpers.h"

#include <QAction>
#include <QEvent>
#include <QIcon>
#include <QLayout>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

// The pictures are compiled into the library; make sure they are registered
// even when the linker keeps nothing else of the resource object.
static void initToolbarPictures() { Q_INIT_RESOURCE(Toolbar1); }

namespace viewer {

Toolbar1::Toolbar1(QWidget* mainWindow, QWidget* parent)
    : QToolBar(parent), m_mainWindow(mainWindow)
{
    initToolbarPictures();
    setObjectName(QStringLiteral("Toolbar1"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);

    addEmptyButton(1);
    addEmptyButton(2);
    addButton(3, QStringLiteral("zoom_up"), QStringLiteral("ズームアップ"));
    addButton(4, QStringLiteral("zoom_down"), QStringLiteral("ズームダウン"));
    addButton(5, QStringLiteral("zoom_fit"), QStringLiteral("全体表示"));
    addSeparatorAt(6);
    addButton(7, QStringLiteral("refresh"), QStringLiteral("更新（アクティブ図面の画像を読み込みます）"));
    addSeparatorAt(8);
    addButton(9, QStringLiteral("excel"), QStringLiteral("画層の一覧をExcelへ出力"));
    addSeparatorAt(10);
    addButton(11, QStringLiteral("select_on"), QStringLiteral("選択したリストの画層を表示に設定します"));
    addButton(12, QStringLiteral("select_off"), QStringLiteral("選択したリストの画層を非表示に設定します"));
    addButton(13, QStringLiteral("remove"), QStringLiteral("選択したリスト及びリストに該当するビューを削除します"));
    addButton(14, QStringLiteral("all_on"), QStringLiteral("全ての画層を表示に設定します"));
    addButton(15, QStringLiteral("all_off"), QStringLiteral("全ての画層を非表示に設定します"));
    addSeparatorAt(16);
    addButton(17, QStringLiteral("info"), QStringLiteral("バージョン情報を表示します"));
    addUndoAndFilter();

    // The toolbar lies in the client area, not in a main window's toolbar
    // area, and there Qt's » button opens a menu of the hidden buttons that
    // cannot hold the filter box: it showed nothing. The button opens the
    // hidden rows in the toolbar itself instead, which grows down over the
    // upper band while they are open.
    m_overflowButton = findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    if (m_overflowButton)
        m_overflowButton->installEventFilter(this);
    // Leaving the box (Enter moves to the list) closes the rows it opened.
    m_filter->installEventFilter(this);
}

bool Toolbar1::overflowOpen() const
{
    return m_overflowOpen;
}

void Toolbar1::setOverflowOpen(bool open)
{
    if (!m_overflowButton || m_overflowOpen == open)
        return;
    if (open && !m_overflowButton->isVisible())
        return;  // everything is in view already
    // The layout lays its items out in rows while expanded ("setExpanded"
    // is its slot the » button drives inside a main window).
    QMetaObject::invokeMethod(layout(), "setExpanded", Q_ARG(bool, open));
    m_overflowOpen = open;
    if (open)
        m_closedHeight = height();
    layout()->invalidate();
    layout()->activate();
    if (open) {
        resize(width(), std::max(m_closedHeight, childrenRect().bottom() + 1 + layout()->contentsMargins().bottom()));
        raise();
    } else {
        resize(width(), m_closedHeight);
    }
}

void Toolbar1::focusLayerFilter()
{
    if (!m_filter->isVisible())
        setOverflowOpen(true);
    m_filter->setFocus(Qt::ShortcutFocusReason);
    m_filter->selectAll();
}

QAction* Toolbar1::button(int index) const
{
    if (index < 1 || index > kButtonCount)
        return nullptr;
    return m_buttons[size_t(index)];
}

void Toolbar1::addButton(int index, const QString& picture, const QString& tooltip)
{
    QAction* action = addAction(QIcon(QStringLiteral(":/toolbar/%1.svg").arg(picture)), QString());
    action->setToolTip(tooltip);
    action->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
    connect(action, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
    m_buttons[size_t(index)] = action;
}

void Toolbar1::addSeparatorAt(int index)
{
    QAction* separator = addSeparator();
    separator->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
    m_buttons[size_t(index)] = separator;
}

void Toolbar1::addEmptyButton(int index)
{
    QAction* action = addAction(QString());
    action->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
    connect(action, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
    m_buttons[size_t(index)] = action;
}

void Toolbar1::addUndoAndFilter()
{
    addSeparator();
    m_undo = addAction(QIcon(QStringLiteral(":/toolbar/undo.svg")), QString());
    m_undo->setObjectName(QStringLiteral("Toolbar1_Undo"));
    m_undo->setToolTip(QStringLiteral("直前の画層状態に戻す"));
    m_undo->setEnabled(false);
    connect(m_undo, &QAction::triggered, this, [this] {
        if (m_commands.undo)
            m_commands.undo();
    });

    // The filter keeps to the right end however wide the window is.
    auto* spacer = new QWidget(this);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    addWidget(spacer);
    m_filter = new LayerFilterBox(this);
    m_filter->setFixedWidth(m_filter->fontMetrics().horizontalAdvance(QStringLiteral("画層名フィルタ")) * 2);
    addWidget(m_filter);
}

void Toolbar1::Toolbar1_ButtonClick(int index)
{
    const auto run = [](const std::function<void()>& command) {
        if (command)
            command();
    };
    switch (index) {
    case 3: run(m_commands.zoomUp); break;
    case 4: run(m_commands.zoomDown); break;
    case 5: run(m_commands.zoomFit); break;
    case 7: runRefresh(); break;
    case 9: run(m_commands.excel); break;
    case 11: run(m_commands.selectView); break;
    case 12: run(m_commands.selectHide); break;
    case 13: run(m_commands.selectRemove); break;
    case 14: run(m_commands.allView); break;
    case 15: run(m_commands.allHide); break;
    case 17: run(m_commands.info); break;
    default: break; // the empty buttons and the separators
    }
}

void Toolbar1::runRefresh()
{
    if (!m_commands.refresh)
        return;
    // The window stays disabled only while the refresh runs: a refresh that
    // throws must not leave the user with a dead window.
    struct EnableAgain {
        QWidget* window;
        ~EnableAgain()
        {
            if (window) {
                window->setEnabled(true);
                app::SetForeground(app::windowHandle(window));
            }
        }
    } enableAgain{m_mainWindow};
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
    m_commands.refresh();
}

void Toolbar1::placeOverEmptyButtons(QWidget* widget, int widthPixels)
{
    m_overlay = widget;
    widget->setParent(this);
    for (int index : {1, 2}) {
        if (QWidget* emptyButton = widgetForAction(button(index))) {
            emptyButton->setFixedWidth((widthPixels + 1) / 2);
            emptyButton->installEventFilter(this);
        }
    }
    widget->setFixedWidth(widthPixels);
    widget->show();
    keepOverlayInPlace();
}

bool Toolbar1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_overflowButton) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return mouse->button() == Qt::LeftButton;  // not Qt's menu
        case QEvent::MouseButtonRelease:
            if (mouse->button() != Qt::LeftButton)
                return false;
            if (m_overflowButton->rect().contains(mouse->position().toPoint()))
                setOverflowOpen(!m_overflowOpen);
            return true;
        default:
            return QToolBar::eventFilter(watched, event);
        }
    }
    if (watched == m_filter) {
        if (event->type() == QEvent::FocusOut)
            QTimer::singleShot(0, this, [this] {
                if (!m_filter->hasFocus())
                    setOverflowOpen(false);
            });
        return QToolBar::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        keepOverlayInPlace();
    return QToolBar::eventFilter(watched, event);
}

void Toolbar1::resizeEvent(QResizeEvent* event)
{
    QToolBar::resizeEvent(event);
    // A new window width lays the toolbar out anew: the open rows close.
    if (event->oldSize().width() != event->size().width() && overflowOpen())
        QTimer::singleShot(0, this, [this] { setOverflowOpen(false); });
}

void Toolbar1::keepOverlayInPlace()
{
    if (!m_overlay)
        return;
    QWidget* first = widgetForAction(button(1));
    QWidget* second = widgetForAction(button(2));
    if (!first || !second)
        return;
    const QRect area = first->geometry().united(second->geometry());
    const int height = qMin(area.height(), m_overlay->sizeHint().height());
    m_overlay->setGeometry(area.left(), area.top() + (area.height() - height) / 2, m_overlay->width(), height);
    m_overlay->raise();
}

} // namespace viewer
