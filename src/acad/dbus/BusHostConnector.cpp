#include "BusHostConnector.h"

#include "BusNames.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#ifdef Q_OS_UNIX
#include <signal.h>
#endif

namespace acad::dbus {
namespace {

QDBusConnection requireBus()
{
    std::optional<QDBusConnection> bus = sessionBus();
    if (!bus)
        throw AcadError(error::kHostUnreachable, QStringLiteral("このセッションにはメッセージバスがないため、図面ホストに接続できません。"));
    return *bus;
}

bool hostRegistered(QDBusConnection& bus)
{
    QDBusConnectionInterface* daemon = bus.interface();
    return daemon && daemon->isServiceRegistered(kServiceName).value();
}

bool processAlive(qint64 pid)
{
#ifdef Q_OS_UNIX
    return ::kill(pid_t(pid), 0) == 0;
#else
    Q_UNUSED(pid);
    return true;
#endif
}

} // namespace

#ifdef Q_OS_WIN
const QString BusHostConnector::kHostProgram = QStringLiteral("kasanemi-cad.exe");
#else
const QString BusHostConnector::kHostProgram = QStringLiteral("kasanemi-cad");
#endif

BusHostConnector::BusHostConnector(QString hostFolder, CallLimits limits, int startWaitMs)
    : m_hostFolder(std::move(hostFolder)), m_limits(limits), m_startWaitMs(startWaitMs)
{
}

ApplicationPtr BusHostConnector::attachRunning()
{
    QDBusConnection bus = requireBus();
    if (!hostRegistered(bus))
        throw AcadError(error::kHostUnreachable, QStringLiteral("図面ホストが起動していません。"));
    return makeBusApplication(bus, m_limits);
}

ApplicationPtr BusHostConnector::startNew()
{
    QDBusConnection bus = requireBus();
    const QString program = QDir(m_hostFolder).filePath(kHostProgram);
    const QFileInfo info(program);
    if (!info.isFile() || !info.isExecutable())
        throw AcadError(error::kHostUnreachable, QStringLiteral("図面ホスト「%1」がありません。").arg(program));

    // Detached: the host outlives the viewer, as a started CAD program does.
    qint64 pid = 0;
    if (!QProcess::startDetached(program, {}, m_hostFolder, &pid))
        throw AcadError(error::kHostUnreachable, QStringLiteral("図面ホストを起動できませんでした。"));

    const QDeadlineTimer deadline(m_startWaitMs);
    while (!hostRegistered(bus)) {
        if (!processAlive(pid))
            throw AcadError(error::kHostUnreachable, QStringLiteral("図面ホストが起動の途中で終了しました。"));
        if (deadline.hasExpired())
            throw AcadError(error::kHostTimeout, QStringLiteral("図面ホストが時間内に起動しませんでした。"));
        // Keep the please-wait window painted; user input waits until the start is over.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(25);
    }
    return makeBusApplication(bus, m_limits);
}

} // namespace acad::dbus
