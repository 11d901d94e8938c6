#pragma once

#include <QString>
#include <QtGlobal>

namespace acad::dbus {

/// The drawing host's window as another process's window: found by its title
/// and raised through the host's bus members. Without a running host there is
/// no such window (handle 0, raise false); asking never throws.
class BusExternalWindows {
public:
    qint64 findWindow(const QString& title);
    bool raiseWindow(qint64 handle);
};

} // namespace acad::dbus
