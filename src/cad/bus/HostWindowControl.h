#pragma once

#include <QString>
#include <QtGlobal>

namespace cad {

/// What the bus service asks of the host's main window. The window implements
/// it; a host without a window (tests) passes none.
class HostWindowControl {
public:
    virtual ~HostWindowControl() = default;
    /// The window's handle when its title is exactly `title`, else 0.
    virtual qint64 handleIfTitled(const QString& title) = 0;
    /// Raises and activates the window when `handle` is its handle.
    virtual bool bringToFront(qint64 handle) = 0;
    /// Shows or hides the window.
    virtual void showWindow(bool visible) = 0;
    /// The drawing was saved from the bus: the title follows its name and state.
    virtual void showSaved() = 0;
};

} // namespace cad
