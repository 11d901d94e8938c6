#include "WindowHelpers.h"

#include <QApplication>
#include <QMargins>
#include <QRect>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace app {
namespace {

std::shared_ptr<ExternalWindows>& externalWindows()
{
    static std::shared_ptr<ExternalWindows> provider;
    return provider;
}

QWidget* ownWindow(qint32 handle)
{
    if (handle == 0)
        return nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->testAttribute(Qt::WA_WState_Created) && windowHandle(w) == handle)
            return w;
    }
    return nullptr;
}

} // namespace

void setExternalWindows(std::shared_ptr<ExternalWindows> provider)
{
    externalWindows() = std::move(provider);
}

qint32 windowHandle(const QWidget* window)
{
    if (!window)
        return 0;
    return qint32(quint32(quint64(window->winId())));
}

qint32 GetWindowHandle(const QString& className, const QString& title)
{
    Q_UNUSED(className)
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->windowTitle() == title)
            return windowHandle(w);
    }
    if (const auto& provider = externalWindows())
        return qint32(quint32(quint64(provider->findWindow(title))));
    return 0;
}

qint32 SetForeground(qint32 handle)
{
    if (QWidget* w = ownWindow(handle)) {
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        w->activateWindow();
        return 1;
    }
    if (handle != 0) {
        if (const auto& provider = externalWindows())
            return provider->raiseWindow(handle) ? 1 : 0;
    }
    return 0;
}

QVariant SetForegroundV(qint32 handle)
{
    return QVariant(SetForeground(handle));
}

qint32 SetTopMost(qint32 handle)
{
    QWidget* w = ownWindow(handle);
    if (!w)
        return 0;
    if (!(w->windowFlags() & Qt::WindowStaysOnTopHint))
        w->setWindowFlag(Qt::WindowStaysOnTopHint, true);  // hides the window; shown again below
    w->show();
    w->raise();
    return 1;
}

QRect fittedOnScreen(const QSize& wanted, const QRect& available, const QMargins& frame)
{
    const QRect room = available.marginsRemoved(frame);
    const QSize size = wanted.boundedTo(room.size()).expandedTo(QSize(1, 1));
    QRect client(QPoint(), size);
    client.moveCenter(room.center());
    return client;
}

QMargins guessedFrame(const QWidget& window)
{
    const int border = 4;
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + border;
    return QMargins(border, title, border, border);
}

void placeFittingScreen(QWidget& window, const QSize& wanted)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window.setGeometry(fittedOnScreen(wanted, screen->availableGeometry(), guessedFrame(window)));
}

} // namespace app
