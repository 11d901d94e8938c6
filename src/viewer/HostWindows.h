#pragma once

#include "acad/dbus/BusExternalWindows.h"
#include "app/WindowHelpers.h"

namespace viewer {

/// The drawing host's window for the window helpers: found and raised over
/// the bus, as the real program does.
class HostWindows : public app::ExternalWindows {
public:
    qint64 findWindow(const QString& title) override;
    bool raiseWindow(qint64 handle) override;

private:
    acad::dbus::BusExternalWindows m_bus;
};

} // namespace viewer
