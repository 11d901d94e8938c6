#pragma once

#include "AcadSurface.h"

namespace acad {

/// How the viewer finds a running host or starts a new one. On Linux this is
/// the session bus (the host owns org.kasanemi.Cad); tests and tools may put
/// an in-process host behind it.
class HostConnector {
public:
    virtual ~HostConnector() = default;
    /// The running host's application object; throws AcadError when none runs.
    virtual ApplicationPtr attachRunning() = 0;
    /// Starts a new host and returns its application object once it answers;
    /// throws AcadError when it cannot be started.
    virtual ApplicationPtr startNew() = 0;
};

} // namespace acad
