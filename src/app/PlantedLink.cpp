#include "PlantedLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace app {
namespace {

bool lstatOf(const QString& path, struct stat& st)
{
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

bool statOf(const QString& path, struct stat& st)
{
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

/// The rule of fs.protected_symlinks for a link in `folder`.
bool followRefused(const struct stat& link, const QString& folder)
{
    struct stat dir {};
    if (!statOf(folder, dir))
        return false;
    const bool stickyAndOpen = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
    return stickyAndOpen && link.st_uid != ::geteuid() && link.st_uid != dir.st_uid;
}

} // namespace

QString plantedLinkOnPath(const QString& path)
{
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QStringList parts = absolute.split(u'/', Qt::SkipEmptyParts);
    QString resolved; // the real folder reached so far ("" is the root)
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString candidate = resolved + u'/' + parts[i];
        struct stat st {};
        if (!lstatOf(candidate, st))
            return QString(); // the rest is made by the writer as plain folders and files
        if (!S_ISLNK(st.st_mode)) {
            resolved = candidate;
            continue;
        }
        if (followRefused(st, resolved.isEmpty() ? QStringLiteral("/") : resolved))
            return candidate;
        const QString target = QFileInfo(candidate).canonicalFilePath();
        if (target.isEmpty())
            return QString(); // a dangling link or a loop: the writer's open fails on its own
        resolved = target == QLatin1String("/") ? QString() : target;
    }
    return QString();
}

QString plantedLinkReason(const QString& link)
{
    return QStringLiteral("%1 は誰でも書き込めるフォルダーにある他のユーザーのシンボリックリンクのため、たどりません。")
        .arg(QDir::toNativeSeparators(link));
}

QString plantedLinkMessage(const QString& path, const QString& link)
{
    return QDir::toNativeSeparators(path) + QStringLiteral(": ") + plantedLinkReason(link);
}

} // namespace app
