#pragma once

// Helpers shared by the drawing host's tests: where the shared samples are,
// a scratch folder, and running /usr/bin/python3 with ezdxf.

#include "acad/AcadError.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace cadtest {

/// The folder of shared sample drawings (env KASANEMI_SAMPLES), or "" when unset.
inline QString samplesDir() { return qEnvironmentVariable("KASANEMI_SAMPLES"); }
/// The shared tools folder (env KASANEMI_SHARED + /tools), or "" when unset.
inline QString toolsDir()
{
    const QString shared = qEnvironmentVariable("KASANEMI_SHARED");
    return shared.isEmpty() ? QString() : shared + QStringLiteral("/tools");
}

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

/// Runs a program to its end (at most `timeoutMs`).
inline ProcessResult run(const QString& program, const QStringList& args, int timeoutMs = 120000)
{
    QProcess p;
    p.start(program, args);
    ProcessResult r;
    if (!p.waitForStarted(10000))
        return r;
    p.waitForFinished(timeoutMs);
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

/// The host's error number `f` throws (acad::AcadError), or 0 when it does not throw.
template <typename F>
qint32 errorOf(F&& f)
{
    try {
        f();
    } catch (const acad::AcadError& e) {
        return e.number();
    }
    return 0;
}

/// Debian's python with ezdxf; a plain `python3` may lack it.
inline QString python() { return QStringLiteral("/usr/bin/python3"); }

} // namespace cadtest
