#include "BusExternalWindows.h"

#include "BusNames.h"
#include "cad_interface.h"

namespace acad::dbus {
namespace {
// Finding and raising a window are quick in a live host; a hung host must not
// hold the viewer for the full call limit.
constexpr int kWindowCallMs = 5'000;
}

qint64 BusExternalWindows::findWindow(const QString& title)
{
    std::optional<QDBusConnection> bus = sessionBus();
    if (!bus)
        return 0;
    OrgKasanemiCadInterface host(kServiceName, kObjectPath, *bus);
    host.setTimeout(kWindowCallMs);
    QDBusPendingReply<qlonglong> reply = host.WindowHandle(title);
    reply.waitForFinished();
    return reply.isError() ? 0 : reply.value();
}

bool BusExternalWindows::raiseWindow(qint64 handle)
{
    std::optional<QDBusConnection> bus = sessionBus();
    if (!bus || handle == 0)
        return false;
    OrgKasanemiCadInterface host(kServiceName, kObjectPath, *bus);
    host.setTimeout(kWindowCallMs);
    QDBusPendingReply<bool> reply = host.BringToFront(handle);
    reply.waitForFinished();
    return !reply.isError() && reply.value();
}

} // namespace acad::dbus
