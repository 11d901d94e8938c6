#pragma once

// Runs the real drawing host (kasanemi-cad from KASANEMI_BIN) for one test:
// its own KASANEMI_HOME, the offscreen platform, killed when the test ends.

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace e2e {

/// The folder holding the built executables.
QString binFolder();
/// A sample drawing from the shared corpus.
QString samplePath(const QString& name);

/// True when org.kasanemi.Cad has an owner on the session bus.
bool hostOnBus();
/// Waits until nobody owns org.kasanemi.Cad; false after `ms`.
bool waitHostGone(int ms = 10'000);
/// Kills whatever process owns org.kasanemi.Cad (a host started detached by
/// the code under test) and waits for the name to go.
void killHostOnBus();

class HostProcess {
public:
    /// `extraEnvironment`: "NAME=value" entries added to the host's environment.
    explicit HostProcess(const QStringList& arguments, const QStringList& extraEnvironment = {});
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    /// Waits for the host's name on the bus; false when it ended or took too long.
    bool waitReady(int ms = 20'000);
    /// Kills the host at once (as a crash would) and waits for its name to go.
    void kill();
    QProcess& process() { return m_process; }
    QString home() const { return m_home.path(); }

private:
    QTemporaryDir m_home;
    QProcess m_process;
};

} // namespace e2e
