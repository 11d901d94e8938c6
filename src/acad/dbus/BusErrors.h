#pragma once

#include "acad/AcadError.h"
#include "acad/LayerWrites.h"

#include <QDBusError>
#include <QString>
#include <optional>

namespace acad::dbus {

/// The message of a host refusal on the bus: "<number>|<description>".
QString encodeHostError(const AcadError& error);

/// The message of a batch of layer writes ended at a refused one:
/// "<position>|<number>|<description>".
QString encodeLayerWriteRefused(const LayerWriteRefused& refusal);

/// The refusal that ended a batch of `writes`, when `error` is one
/// (org.kasanemi.Cad.LayerWriteRefused with a position inside the batch).
std::optional<LayerWriteRefused> decodeLayerWriteRefused(const QDBusError& error, const LayerWrites& writes);

/// Turns a failed bus call into the error the caller sees:
/// - the host's own refusal keeps its number and description;
/// - no reply in time, with the host still on the bus, is error::kHostTimeout;
/// - no bus, no owner of the name, a host gone before or during the call is
///   error::kHostUnreachable;
/// - anything else is error::kHostFailure with the bus's text.
/// `hostStillRunning` is asked only for a missing reply.
AcadError decodeBusError(const QDBusError& error, bool hostStillRunning, int timeoutMs);

} // namespace acad::dbus
