#pragma once

#include "app/WindowHelpers.h"

namespace acad::dbus {

/// The drawing host's window as another process's window: found by its title
/// and raised through the host's bus members. Without a running host there is
/// no such window (handle 0, raise false); asking never throws.
class BusExternalWindows : public app::ExternalWindows {
public:
    qint64 findWindow(const QString& title) override;
    bool raiseWindow(qint64 handle) override;
};

} // namespace acad::dbus
