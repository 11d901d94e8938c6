#pragma once

#include <QDBusConnection>
#include <QString>
#include <optional>

namespace acad::dbus {

/// The well-known name the drawing host owns while it runs: "the host is
/// running" means this name has an owner on the session bus.
inline const QString kServiceName = QStringLiteral("org.kasanemi.Cad");
inline const QString kObjectPath = QStringLiteral("/org/kasanemi/Cad");
inline const QString kInterfaceName = QStringLiteral("org.kasanemi.Cad");
/// The D-Bus error a host refusal travels as; its message is "<number>|<description>".
inline const QString kErrorName = QStringLiteral("org.kasanemi.Cad.Error");
/// The error that ends a batch of layer writes at a refused one; its message
/// is "<position>|<number>|<description>" (the write's 0-based position).
inline const QString kLayerWriteRefusedName = QStringLiteral("org.kasanemi.Cad.LayerWriteRefused");

/// The session bus, or nothing when this session has none: no
/// DBUS_SESSION_BUS_ADDRESS (no bus is started on demand), or no connection.
std::optional<QDBusConnection> sessionBus();

/// Registers the structured types the interface carries; idempotent. Both
/// ends call it before the first call.
void registerBusTypes();

} // namespace acad::dbus
