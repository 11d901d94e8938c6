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
    const QRegularExpression name(QStringLiteral("^%1(\\d+)-.{6}$")
                                      .arg(QRegularExpression::escape(prefixOf(purpose))));
    int removed = 0;
    const QStringList entries = QDir(tempFolder).entryList(
        {prefixOf(purpose) + u'*'}, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch() || !processGone(match.captured(1).toLongLong()))
            continue;
        const QString path = QDir(tempFolder).filePath(entry);
        struct stat st {};
        // Only a real folder of ours: not a link, not another user's.
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode)
            || st.st_uid != ::geteuid())
            continue;
        if (removeTreeWithoutFollowingLinks(path))
            ++removed;
    }
    return removed;
}

} // namespace app
