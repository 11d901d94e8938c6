#include "BusErrors.h"

#include "BusNames.h"

namespace acad::dbus {

QString encodeHostError(const AcadError& error)
{
    return QString::number(error.number()) + QLatin1Char('|') + error.description();
}

QString encodeLayerWriteRefused(const LayerWriteRefused& refusal)
{
    return QString::number(refusal.index()) + QLatin1Char('|') + encodeHostError(refusal);
}

std::optional<LayerWriteRefused> decodeLayerWriteRefused(const QDBusError& error, const LayerWrites& writes)
{
    if (error.name() != kLayerWriteRefusedName)
        return std::nullopt;
    const QString message = error.message();
    const qsizetype first = message.indexOf(QLatin1Char('|'));
    const qsizetype second = first > 0 ? message.indexOf(QLatin1Char('|'), first + 1) : -1;
    bool indexOk = false, numberOk = false;
    const qint32 index = first > 0 ? message.left(first).toInt(&indexOk) : -1;
    const qint32 number = second > first ? message.mid(first + 1, second - first - 1).toInt(&numberOk) : 0;
    if (!indexOk || !numberOk || index < 0 || std::size_t(index) >= writes.size())
        return std::nullopt;
    return LayerWriteRefused(index, writes[std::size_t(index)].layer, AcadError(number, message.mid(second + 1)));
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
                             QStringLiteral("図面ホストが %1 秒以内に応答しませんでした。")
                                 .arg(timeoutMs / 1000.0));
        return AcadError(error::kHostUnreachable,
                         QStringLiteral("図面ホストが処理の途中で終了しました。"));
    case QDBusError::ServiceUnknown:
    case QDBusError::UnknownObject:
        return AcadError(error::kHostUnreachable, QStringLiteral("図面ホストが起動していないか、終了しています。"));
    case QDBusError::Disconnected:
        return AcadError(error::kHostUnreachable, QStringLiteral("メッセージバスとの接続が切れたため、図面ホストに接続できません。"));
    default:
        // A failure the bus names but we do not expect: its name helps whoever looks into it.
        return AcadError(error::kHostFailure,
                         QStringLiteral("図面ホストとの通信に失敗しました（%1）。").arg(error.name()));
    }
}

} // namespace acad::dbus
