#include "HostProcess.h"

#include "acad/dbus/BusNames.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>

#include <signal.h>

namespace e2e {

QString binFolder()
{
    return qEnvironmentVariable("KASANEMI_BIN");
}

QString samplePath(const QString& name)
{
    return QDir(qEnvironmentVariable("KASANEMI_SAMPLES")).filePath(name);
}

bool hostOnBus()
{
    std::optional<QDBusConnection> bus = acad::dbus::sessionBus();
    return bus && bus->interface()->isServiceRegistered(acad::dbus::kServiceName).value();
}

bool waitHostGone(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (hostOnBus()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

void killHostOnBus()
{
    std::optional<QDBusConnection> bus = acad::dbus::sessionBus();
    if (!bus)
        return;
    const QDBusReply<uint> pid = bus->interface()->servicePid(acad::dbus::kServiceName);
    if (pid.isValid() && pid.value() > 0)
        ::kill(pid_t(pid.value()), SIGKILL);
    waitHostGone();
}

HostProcess::HostProcess(const QStringList& arguments, const QStringList& extraEnvironment)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KASANEMI_HOME"), m_home.path());
    for (const QString& entry : extraEnvironment) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        environment.insert(entry.left(equals), entry.mid(equals + 1));
    }
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QDir(binFolder()).filePath(QStringLiteral("kasanemi-cad")), arguments);
}

HostProcess::~HostProcess()
{
    kill();
}

bool HostProcess::waitReady(int ms)
{
    if (!m_process.waitForStarted(ms))
        return false;
    const QDeadlineTimer deadline(ms);
    while (!hostOnBus()) {
        if (m_process.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        m_process.waitForFinished(20);
    }
    return true;
}

void HostProcess::kill()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5'000);
    }
    waitHostGone();
}

} // namespace e2e
