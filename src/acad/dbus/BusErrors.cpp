#include "BusErrors.h"

#include "BusNames.h"

namespace acad::dbus {

QString encodeHostError(const AcadError& error)
{
    return QString::number(error.number()) + QLatin1Char('|') + error.description();
}

AcadError decodeBusError(const QDBusError& error, bool hostStillRunning, int timeoutMs)
{
    if (error.name() == kErrorName) {
        const QString message = error.message();
        const qsizetype bar = message.indexOf(QLatin1Char('|'));
        bool ok = false;
        const qint32 number = bar > 0 ? message.left(bar).toInt(&ok) : 0;
        if (ok)
            return AcadError(number, message.mid(bar + 1));
        return AcadError(error::kHostFailure, message);
    }
    switch (error.type()) {
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        // The bus gives the same error for a host that is slow and for one
        // that went away mid-call; the name's owner tells them apart.
        if (hostStillRunning)
            return AcadError(error::kHostTimeout,
                             QStringLiteral("The drawing host did not answer within %1 s")
                                 .arg(timeoutMs / 1000.0));
        return AcadError(error::kHostUnreachable,
                         QStringLiteral("The drawing host ended during the call"));
    case QDBusError::ServiceUnknown:
    case QDBusError::Disconnected:
    case QDBusError::UnknownObject:
        return AcadError(error::kHostUnreachable,
                         QStringLiteral("The drawing host is not running (%1)").arg(error.message()));
    default:
        return AcadError(error::kHostFailure, error.name() + QStringLiteral(": ") + error.message());
    }
}

} // namespace acad::dbus
