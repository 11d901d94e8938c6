#pragma once

#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <memory>

class QMargins;
class QRect;
class QSize;
class QWidget;

namespace app {

/// Top-level windows of other processes (the CAD host's window). The program
/// finds them by title and raises them through this provider; the Linux one
/// asks the host over D-Bus, a Windows one would call user32.
class ExternalWindows {
public:
    virtual ~ExternalWindows() = default;
    /// The handle of the window whose title is exactly `title`; 0 when none.
    /// Handles travel through the program cut to 32 bits, so a provider hands
    /// out handles that fit in 32 bits and accepts them back in that form.
    virtual qint64 findWindow(const QString& title) = 0;
    /// Brings the window with `handle` to the front; false when it could not.
    virtual bool raiseWindow(qint64 handle) = 0;
};

/// Installs the provider for other processes' windows (null: none known).
void setExternalWindows(std::shared_ptr<ExternalWindows> provider);

/// The handle of one of our own top-level windows: its native id cut to 32 bits,
/// as window handles travel through the program. 0 for a null widget.
qint32 windowHandle(const QWidget* window);

/// Finds a top-level window by its exact title: first among our own visible
/// top-level windows, then through the external provider. `className` is
/// accepted for the caller's sake and ignored (the program always passes none).
/// Returns 0 when no window has that title.
qint32 GetWindowHandle(const QString& className, const QString& title);

/// Brings the window with `handle` to the foreground: one of ours is raised
/// and activated, any other is handed to the external provider.
/// Returns non-zero on success, 0 when no window has that handle.
qint32 SetForeground(qint32 handle);
/// The same as SetForeground, returning its result in a variant.
QVariant SetForegroundV(qint32 handle);

/// Places one of our windows above all other windows and shows it.
/// Returns non-zero on success, 0 when no window of ours has that handle.
qint32 SetTopMost(qint32 handle);

/// Where a new window that would like a client area of `wanted` goes on a
/// screen whose free area is `available`, its frame adding `frame`: as large
/// as wanted but never running past the free area, and centred in it.
/// Returns the client area.
QRect fittedOnScreen(const QSize& wanted, const QRect& available, const QMargins& frame);

/// The frame the window manager will put around `window`, for placing it
/// before it is shown (the frame is known only after): a title bar as high
/// as the style draws one, and thin borders.
QMargins guessedFrame(const QWidget& window);

/// Gives a window that is not shown yet the place fittedOnScreen picks on its
/// screen, with the guessed frame.
void placeFittingScreen(QWidget& window, const QSize& wanted);

} // namespace app
