// Host start to tiles shown, beside the host's own load and pictures.
//
//   host_start_bench [--rounds N] [--work DIR] DRAWING.dxf [DRAWING.dxf ...]
//
// For each drawing the rounds run two things alternately, so that both see
// the same load of the machine:
// - ours: `kasanemi-cad DRAWING` starts with its window; the viewer (in this
//   process, over the session bus) waits for the host's bus name, refreshes
//   every layer and shows the tiles. Timed from the host's start.
// - reference: `kasanemi-cad --pictures DRAWING DIR`: the same load and the
//   same pictures in one process, with no bus, window or viewer.
// Each round prints both and where ours went (until the host answered, the
// refresh, the CPU of host, reference and viewer); the end prints the
// medians, the median of the rounds' ratios, the host's memory once
// its window has settled after the refresh (and its peak) against the file's
// size, and the load average before and after.
//
// Both sides start from the same folder state: no pictures folder (ours: no
// LAYER, as after the viewer's last close) and, since each side deletes its
// pictures at its end (ours by closing the window, the reference by this
// bench, neither timed), the same number of recently freed inodes. That
// number matters on ext4 without a journal, where every new file steps over
// the inodes freed in the last minutes: `--work DIR` puts the program folder
// (and so LAYER and the reference's folder) on another file system, e.g. a
// tmpfs or a journalled ext4, to see the figures without that cost.

#include "acad/AcadError.h"
#include "acad/dbus/BusHostConnector.h"
#include "MacroProject.h"
#include "common/FileSystemOf.h"
#include "app/DeferredRemoval.h"
#include "app/RecordingUserInterface.h"
#include "app/UserInterface.h"
#include "viewer/FrmWMF.h"

#include <QApplication>
#include <QDir>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>
#include <cstdio>
#include <vector>

namespace {

constexpr double kMiB = 1024.0 * 1024.0;

QString hostProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/kasanemi-cad");
}

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray("?");
}

/// A field of /proc/PID/status in bytes (VmRSS, VmHWM), or -1.
double statusBytes(qint64 pid, const char* field)
{
    QFile file(QStringLiteral("/proc/%1/status").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (QByteArray line = file.readLine(); !line.isEmpty(); line = file.readLine()) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() * 1024;
    }
    return -1;
}

/// CPU seconds (user + system, or the system's alone) in a /proc stat
/// file; -1 when it cannot be read.
double cpuSecondsIn(const QString& statPath, bool kernelOnly = false);

/// CPU seconds (user + system) of a process so far, all its threads; -1
/// when it cannot be read. `pid` 0 is this process.
double cpuSeconds(qint64 pid)
{
    return cpuSecondsIn(pid ? QStringLiteral("/proc/%1/stat").arg(pid) : QStringLiteral("/proc/self/stat"));
}

/// The CPU seconds of the host's window pictures so far: its pool threads,
/// which draw nothing else.
double windowCpuSeconds(qint64 pid)
{
    double total = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks + u'/' + task + QStringLiteral("/comm"));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "Thread (pooled)")
            total += std::max(0.0, cpuSecondsIn(tasks + u'/' + task + QStringLiteral("/stat")));
    }
    return total;
}

double cpuSecondsIn(const QString& statPath, bool kernelOnly)
{
    QFile file(statPath);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const long long user = kernelOnly ? 0 : fields[11].toLongLong();
    return double(user + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

/// The kernel's share of cpuSeconds (making files, mapping memory), or -1.
double kernelSeconds(qint64 pid)
{
    return cpuSecondsIn(QStringLiteral("/proc/%1/stat").arg(pid), true);
}

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

struct OurRun {
    double totalMs = -1;
    double answeredMs = -1;  ///< the host's name appeared on the bus
    int tiles = 0;
    /// CPU seconds: the host's from its start to the tiles shown (load,
    /// calls, macros and its window's drawing), the viewer's (this process)
    /// during the refresh.
    double hostCpu = -1;
    double hostKernelCpu = -1;  ///< hostCpu's share in the kernel
    double viewerCpu = -1;
    /// The host window's pictures, from the host's start until it is stopped
    /// (its last picture included).
    double windowCpu = -1;
    double settledBytes = -1;
    double peakBytes = -1;
};

bool hostNameOwned()
{
    return QDBusConnection::sessionBus().interface()->isServiceRegistered(QStringLiteral("org.kasanemi.Cad"));
}

void stopHost(QProcess& host)
{
    host.terminate();
    if (!host.waitForFinished(5000)) {
        host.kill();
        host.waitForFinished(5000);
    }
}

/// Starts the host with `drawing`, refreshes every layer from a viewer window
/// of this process and shows the tiles.
OurRun runOurs(const QString& drawing)
{
    OurRun run;
    QProcess host;
    host.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    host.start(hostProgram(), {drawing});
    if (!host.waitForStarted(5000))
        return run;
    while (!hostNameOwned()) {
        if (host.state() == QProcess::NotRunning || t.elapsed() > 60'000) {
            stopHost(host);
            return run;
        }
        QThread::msleep(2);
    }
    run.answeredMs = ms(t);
    const double viewerBefore = cpuSeconds(0);
    {
        app::RecordingUserInterface ui;
        app::ScopedUi scoped(ui);
        frmWMF window;
        window.setHostConnector(std::make_shared<acad::dbus::BusHostConnector>(QFileInfo(hostProgram()).path()));
        window.Form_Load(QString());
        window.CmdRefresh_Click();
        QCoreApplication::processEvents();  // the tiles' first paint
        if (window.bRefreshDone()) {
            run.totalMs = ms(t);
            run.tiles = window.tiles().tileCount();
            run.hostCpu = cpuSeconds(host.processId());
            run.hostKernelCpu = kernelSeconds(host.processId());
            run.viewerCpu = cpuSeconds(0) - viewerBefore;
        }
        for (const auto& m : ui.messages())
            std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
        window.close();  // deletes LAYER, as the user's close does
    }
    // The closed window's LAYER is deleted off the user's thread: done
    // before the next run starts, as the reference's folder is.
    app::waitForDeferredRemovals();
    // The host's window draws the final state after the refresh; its memory
    // is read once that had time to end.
    QThread::msleep(1500);
    run.settledBytes = statusBytes(host.processId(), "VmRSS");
    run.peakBytes = statusBytes(host.processId(), "VmHWM");
    run.windowCpu = windowCpuSeconds(host.processId());
    stopHost(host);
    return run;
}

struct ReferenceRun {
    double ms = -1;
    double cpu = -1;  ///< CPU seconds, user and system
    double kernelCpu = -1;  ///< cpu's share in the kernel
};

double reapedChildrenCpu(bool kernelOnly = false)
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const timeval user = kernelOnly ? timeval{} : usage.ru_utime;
    return double(user.tv_sec + usage.ru_stime.tv_sec) + double(user.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

/// `kasanemi-cad --pictures`: the host's own load and pictures.
ReferenceRun runReference(const QString& drawing, const QString& folder)
{
    ReferenceRun run;
    QProcess pictures;
    pictures.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    pictures.setStandardOutputFile(QProcess::nullDevice());
    const double cpuBefore = reapedChildrenCpu();
    const double kernelBefore = reapedChildrenCpu(true);
    QElapsedTimer t;
    t.start();
    pictures.start(hostProgram(), {QStringLiteral("--pictures"), drawing, folder});
    if (!pictures.waitForFinished(120'000) || pictures.exitCode() != 0)
        return run;
    run.ms = ms(t);
    run.cpu = reapedChildrenCpu() - cpuBefore;  // reaped by waitForFinished
    run.kernelCpu = reapedChildrenCpu(true) - kernelBefore;
    return run;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void benchDrawing(const QString& drawing, int rounds, const QString& work)
{
    const double fileBytes = double(QFileInfo(drawing).size());
    std::printf("\n%s (%.1f MiB)\n", qPrintable(QFileInfo(drawing).fileName()), fileBytes / kMiB);
    std::printf("round   ours ms (answered / refresh)   reference ms   ratio   CPU s: host  reference  viewer   load average\n");
    std::vector<double> ours, references, ratios, hostCpus, referenceCpus, windowCpus, settled, peaks;
    std::vector<double> hostKernelCpus, referenceKernelCpus;
    int tiles = 0;
    for (int round = 1; round <= rounds; ++round) {
        // Alternate which runs first, so neither always follows the other.
        OurRun our;
        ReferenceRun reference;
        // The reference makes its folder anew and it is deleted after the
        // run, as ours makes LAYER and deletes it at the window's close.
        const QString pictures = work + QStringLiteral("/pictures");
        const auto runTheReference = [&] {
            reference = runReference(drawing, pictures);
            QDir(pictures).removeRecursively();
        };
        if (round % 2) {
            our = runOurs(drawing);
            runTheReference();
        } else {
            runTheReference();
            our = runOurs(drawing);
        }
        if (our.totalMs < 0 || reference.ms < 0) {
            std::printf("%5d   failed (ours %.0f, reference %.0f)\n", round, our.totalMs, reference.ms);
            continue;
        }
        std::printf("%5d   %7.0f (%6.0f / %6.0f)       %9.0f   %5.2f   %10.2f %10.2f %7.2f   %s\n", round, our.totalMs,
                    our.answeredMs, our.totalMs - our.answeredMs, reference.ms, our.totalMs / reference.ms,
                    our.hostCpu, reference.cpu, our.viewerCpu, loadAverage().constData());
        ours.push_back(our.totalMs);
        references.push_back(reference.ms);
        ratios.push_back(our.totalMs / reference.ms);
        hostCpus.push_back(our.hostCpu);
        referenceCpus.push_back(reference.cpu);
        hostKernelCpus.push_back(our.hostKernelCpu);
        referenceKernelCpus.push_back(reference.kernelCpu);
        windowCpus.push_back(our.windowCpu);
        settled.push_back(our.settledBytes);
        peaks.push_back(our.peakBytes);
        tiles = our.tiles;
    }
    // The ratio is the median of the rounds' own: each pair ran under the same load.
    std::printf("median  %7.0f ms host start -> %d tiles shown   %7.0f ms load + pictures   ratio %.2f (target <= 1.30)\n",
                median(ours), tiles, median(references), median(ratios));
    std::printf("host CPU %.2f s (load, calls, macros, window) against %.2f s for load + pictures: ratio %.2f\n",
                median(hostCpus), median(referenceCpus), median(hostCpus) / median(referenceCpus));
    // Mostly making the picture files: the part that the file system's state
    // (recent deletions) moves from run to run.
    std::printf("of which in the kernel: host %.2f s, reference %.2f s\n", median(hostKernelCpus),
                median(referenceKernelCpus));
    std::printf("host window pictures, from the host's start to its last picture: %.2f s CPU\n", median(windowCpus));
    std::printf("host memory after the refresh %.0f MiB = %.2f x the file; peak %.0f MiB = %.2f x (target <= 3)\n",
                median(settled) / kMiB, median(settled) / fileBytes, median(peaks) / kMiB, median(peaks) / fileBytes);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each round as it ends, also into a file
    QStringList drawings;
    QString workParent;
    int rounds = 5;
    const QStringList args = application.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rounds") && i + 1 < args.size())
            rounds = std::max(1, args[++i].toInt());
        else if (args[i] == QLatin1String("--work") && i + 1 < args.size())
            workParent = args[++i];
        else
            drawings << args[i];
    }
    if (drawings.isEmpty()) {
        std::fprintf(stderr, "usage: %s [--rounds N] [--work DIR] DRAWING.dxf [DRAWING.dxf ...]\n", argv[0]);
        return 2;
    }
    if (!QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "no session bus: run under dbus-run-session\n");
        return 2;
    }
    if (hostNameOwned()) {
        std::fprintf(stderr, "a drawing host already runs on this bus; use a private one (dbus-run-session)\n");
        return 2;
    }
    QTemporaryDir home(workParent.isEmpty() ? QDir::tempPath() + QStringLiteral("/host_start-XXXXXX")
                                            : workParent + QStringLiteral("/host_start-XXXXXX"));
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot make a folder in %s\n", qPrintable(workParent));
        return 2;
    }
    qputenv("KASANEMI_HOME", home.path().toUtf8());
    std::printf("program folder (LAYER, the reference's pictures): %s on %s\n", qPrintable(home.path()),
                benchsupport::fileSystemOf(home.path()).constData());
    std::printf("each side makes its pictures into a folder that does not exist and deletes them after its run "
                "(untimed), the two sides alternating\n");
    testsupport::writeMacroProject(home.path());
    std::printf("load average before: %s\n", loadAverage().constData());
    for (const QString& drawing : drawings)
        benchDrawing(drawing, rounds, home.path());
    std::printf("\nload average after: %s\n", loadAverage().constData());
    return 0;
}
