#include "StaleWorkFolders.h"

#include "FolderRemoval.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <cerrno>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {
namespace {

QString prefixOf(const QString& purpose)
{
    return QStringLiteral("kasanemi-%1-").arg(purpose);
}

bool processGone(qint64 pid)
{
    return pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

QString workFolderTemplate(const QString& purpose)
{
    return QDir(QDir::tempPath()).filePath(prefixOf(purpose) + QString::number(QCoreApplication::applicationPid())
                                           + QStringLiteral("-XXXXXX"));
}

int removeStaleWorkFolders(const QString& purpose, const QString& tempFolder)
{
    int removed = 0;
    for (const QString& folder : foldersOfEndedProcesses(prefixOf(purpose), tempFolder))
        removed += removeTreeWithoutFollowingLinks(folder) ? 1 : 0;
    return removed;
}

QStringList foldersOfEndedProcesses(const QString& prefix, const QString& parent)
{
    const QRegularExpression name(QStringLiteral("^%1(\\d+)-.{6}$").arg(QRegularExpression::escape(prefix)));
    QStringList ended;
    const QStringList entries = QDir(parent).entryList(
        {prefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch() || !processGone(match.captured(1).toLongLong()))
            continue;
        const QString path = QDir(parent).filePath(entry);
        struct stat st {};
        // Only a real folder of ours: not a link, not another user's.
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)
            || st.st_uid != ::geteuid())
            continue;
        ended << path;
    }
    return ended;
}

} // namespace app
