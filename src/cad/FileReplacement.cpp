#include "FileReplacement.h"

#include "app/PlantedLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace cad {

namespace {

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

/// Write permission as the file's mode grants it. Root may write anything,
/// but a file nobody may write is meant to stay as it is.
bool mayWrite(const QByteArray& path, const struct stat& st)
{
    if (geteuid() == 0)
        return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return ::access(path.constData(), W_OK) == 0;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

/// Overwrites the file at `path` from offset 0 and cuts it to the new size.
bool overwriteInPlace(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = writeAll(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return ok;
}

/// Copies the extended attributes of `from` (user notes, ACLs, a security
/// label) to the open file `to`, as editors keep them when they save. An
/// attribute this process may not set (another namespace) is left out.
void copyExtendedAttributes(const QByteArray& from, int to)
{
    const ssize_t listSize = ::listxattr(from.constData(), nullptr, 0);
    if (listSize <= 0)
        return;
    QByteArray names(listSize, '\0');
    const ssize_t got = ::listxattr(from.constData(), names.data(), std::size_t(names.size()));
    if (got <= 0)
        return;
    for (const QByteArray& attribute : names.left(got).split('\0')) {
        if (attribute.isEmpty())
            continue;
        const ssize_t valueSize = ::getxattr(from.constData(), attribute.constData(), nullptr, 0);
        if (valueSize < 0)
            continue;
        QByteArray value(valueSize, '\0');
        const ssize_t read = ::getxattr(from.constData(), attribute.constData(), value.data(), std::size_t(value.size()));
        if (read >= 0)
            ::fsetxattr(to, attribute.constData(), value.constData(), std::size_t(read), 0);
    }
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString replaceFileContents(const QString& requested, const QByteArray& bytes)
{
    // Resolving the link ourselves would bypass the kernel's protection of
    // /tmp and the like: another user's link there is refused.
    if (const QString link = app::plantedLinkOnPath(requested); !link.isEmpty())
        return app::plantedLinkMessage(requested, link);
    // A symbolic link stays a link: the file it points at gets the new text.
    const QFileInfo requestedInfo(requested);
    const QString path = requestedInfo.exists() ? requestedInfo.canonicalFilePath() : requestedInfo.absoluteFilePath();
    const QString name = QFileInfo(path).fileName();
    const QByteArray native = QFile::encodeName(path);

    struct stat st {};
    const bool exists = ::stat(native.constData(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode))
            return QStringLiteral("%1 is not a regular file; it was not overwritten").arg(name);
        if (!mayWrite(native, st))
            return QStringLiteral("%1 is read-only (no write permission); it was not overwritten").arg(name);
    }

    const QString folder = QFileInfo(path).absolutePath();
    QTemporaryFile temporary(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX").arg(name)));
    if (!temporary.open())
        return QStringLiteral("%1 を書き込めません: %2").arg(name, temporary.errorString());
    const int fd = temporary.handle();
    if (temporary.write(bytes) != bytes.size() || !temporary.flush() || ::fsync(fd) != 0)
        return QStringLiteral("%1 を書き込めません: %2").arg(name, temporary.errorString());

    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    } else {
        const bool sameOwner = st.st_uid == ::geteuid() && st.st_gid == ::getegid();
        const bool ownerKept = sameOwner || ::fchown(fd, st.st_uid, st.st_gid) == 0;
        if (st.st_nlink > 1 || !ownerKept) {
            // A rename would give this one name a new file and leave the other
            // links (or the owner) behind: write through the file itself. The
            // temporary file holds the complete new text until that succeeded.
            QFile current(path);
            if (!current.open(QIODevice::ReadOnly))
                return QStringLiteral("%1 をその場で書き直す前に読めません: %2").arg(name, current.errorString());
            const QByteArray old = current.readAll();
            current.close();
            if (!overwriteInPlace(native, bytes)) {
                const QString why = systemError();
                if (overwriteInPlace(native, old))
                    return QStringLiteral("%1 をその場で書き直せません: %2。元のまま残しました。").arg(name, why);
                temporary.setAutoRemove(false);
                return QStringLiteral("%1 をその場で書き直せません: %2。新しい内容は %3 に残しました。")
                    .arg(name, why, QDir::toNativeSeparators(temporary.fileName()));
            }
            return QString();
        }
        // chown clears set-id bits, so the mode goes on after it; an ACL among
        // the attributes sets the mode again, consistently.
        if (::fchmod(fd, st.st_mode & 07777) != 0)
            return QStringLiteral("%1 のアクセス権を保てません: %2。上書きしませんでした。").arg(name, systemError());
        copyExtendedAttributes(native, fd);
    }
    temporary.close();
    if (::rename(QFile::encodeName(temporary.fileName()).constData(), native.constData()) != 0)
        return QStringLiteral("%1 を置き換えられません: %2").arg(name, systemError());
    temporary.setAutoRemove(false);
    syncFolder(folder);
    return QString();
}

} // namespace cad
