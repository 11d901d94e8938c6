#pragma once

#include "BusSurface.h"
#include "acad/HostConnector.h"

#include <QString>

namespace acad::dbus {

/// Finds the drawing host on the session bus or starts one. The host is
/// running when org.kasanemi.Cad has an owner; a session without a bus has no
/// host and cannot start one.
class BusHostConnector : public HostConnector {
public:
    /// The executable name of the drawing host, looked for in `hostFolder`.
    static const QString kHostProgram;

    /// `hostFolder` holds the host's executable (normally the program's own
    /// folder); `startWaitMs` bounds the wait for a started host's name.
    explicit BusHostConnector(QString hostFolder, CallLimits limits = {}, int startWaitMs = 20'000);

    /// Throws error::kHostUnreachable when no host owns the name (or there is no bus).
    ApplicationPtr attachRunning() override;
    /// Starts kasanemi-cad from the host folder, without a drawing, and waits
    /// for its name. Throws error::kHostUnreachable when there is no bus, the
    /// executable is missing or ends early, error::kHostTimeout when the name
    /// does not appear in time.
    ApplicationPtr startNew() override;

private:
    QString m_hostFolder;
    CallLimits m_limits;
    int m_startWaitMs;
};

} // namespace acad::dbus
