#include "DeferredRemoval.h"

#include "FolderRemoval.h"
#include "StaleWorkFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <condition_variable>
#include <cerrno>
#include <cstdio>  // renameat2
#include <deque>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace app {
namespace {

/// One thread that deletes what it is handed, in order, and finishes its
/// queue before the process ends.
class RemovalThread {
public:
    static RemovalThread& instance()
    {
        static RemovalThread thread;
        return thread;
    }

    void post(std::function<void()> job)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
        }
        m_wake.notify_all();
    }

    void waitUntilIdle()
    {
        std::unique_lock lock(m_mutex);
        m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
    }

    ~RemovalThread()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_ending = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    RemovalThread() = default;

    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_ending || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;  // ending with nothing left to do
            std::function<void()> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
            lock.unlock();
            job();
            lock.lock();
            m_busy = false;
            if (m_jobs.empty())
                m_idle.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_ending = false;
    std::thread m_thread;
};

QString randomSuffix()
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString suffix;
    for (int i = 0; i < 6; ++i)
        suffix += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    return suffix;
}

/// Renames `from` to `to` unless `to` exists (a plain rename would replace
/// an empty folder of that name).
bool renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without RENAME_NOREPLACE: the name is random and checked.
    struct stat st {};
    return ::lstat(to.constData(), &st) != 0 && errno == ENOENT && ::rename(from.constData(), to.constData()) == 0;
}

void removeLater(const QString& folder)
{
    // Encoded here: the thread may still run while the process's Qt state is
    // being torn down at its end.
    RemovalThread::instance().post([native = QFile::encodeName(folder)] { removeTreeWithoutFollowingLinks(native); });
}

} // namespace

QString asidePrefixFor(const QString& path)
{
    return u'.' + QFileInfo(QDir::cleanPath(path)).fileName() + QStringLiteral(".gone-");
}

bool DeferredRemoval::setAside(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        return errno == ENOENT;
    if (S_ISDIR(st.st_mode)) {
        const QString stem = QFileInfo(QDir::cleanPath(path)).absolutePath() + u'/' + asidePrefixFor(path)
                             + QString::number(QCoreApplication::applicationPid()) + u'-';
        for (int attempt = 0; attempt < 16; ++attempt) {
            const QString aside = stem + randomSuffix();
            if (renameWithoutReplacing(native, QFile::encodeName(aside))) {
                m_aside << aside;
                return true;
            }
            if (errno != EEXIST && errno != ENOTEMPTY)
                break;
        }
    }
    // A file or a link goes at once; so does a folder that cannot be renamed
    // (the deletion would then fail the same way, or be the only way).
    return removeTreeWithoutFollowingLinks(path);
}

void DeferredRemoval::release()
{
    for (const QString& aside : std::as_const(m_aside))
        removeLater(aside);
    m_aside.clear();
}

void removeLeftAsideFolders(const QString& path)
{
    const QString parent = QFileInfo(QDir::cleanPath(path)).absolutePath();
    for (const QString& folder : foldersOfEndedProcesses(asidePrefixFor(path), parent))
        removeLater(folder);
}

void waitForDeferredRemovals()
{
    RemovalThread::instance().waitUntilIdle();
}

} // namespace app
