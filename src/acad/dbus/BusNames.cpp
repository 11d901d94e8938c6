#include "BusNames.h"

#include "BusMarshalling.h"

#include <QDBusMetaType>

namespace acad::dbus {

std::optional<QDBusConnection> sessionBus()
{
    // Without an address libdbus may try to launch a bus of its own; a session
    // without one counts as "no host running" instead.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return std::nullopt;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    return bus;
}

void registerBusTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<acad::LayerSnapshot>();
        qDBusRegisterMetaType<QList<acad::LayerSnapshot>>();
        qDBusRegisterMetaType<acad::LayerWrite>();
        qDBusRegisterMetaType<QList<acad::LayerWrite>>();
        return true;
    }();
    Q_UNUSED(registered);
}

} // namespace acad::dbus
