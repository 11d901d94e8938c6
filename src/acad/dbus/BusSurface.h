#pragma once

#include "acad/AcadSurface.h"

#include <QDBusConnection>

namespace acad::dbus {

/// How long the client waits for one answer of the host. A macro renders
/// pictures of a whole drawing and may take long on a large one; every other
/// member is a quick read or write.
struct CallLimits {
    int callMs = 25'000;
    int macroMs = 120'000;
};

/// The automation surface of the drawing host that owns org.kasanemi.Cad on
/// `bus`: one bus call per member, by name. A layer proxy follows its layer by
/// name, a selection set proxy its set by name; the document is always the
/// host's active document. Getting a collection from the document costs no
/// call. The document's batched members are one bus call each (the tiles'
/// state read and the on/off list are one LayerSnapshotAll).
///
/// Every failure is an AcadError: the host's own number and description for a
/// refusal, error::kHostTimeout when no answer came within the limit,
/// error::kHostUnreachable when the host is not (or no longer) there.
ApplicationPtr makeBusApplication(QDBusConnection bus, CallLimits limits = {});

/// How many bus calls the surfaces of this process have made so far (for
/// figures such as calls per second; answers and failures alike).
quint64 busCallCount();

} // namespace acad::dbus
