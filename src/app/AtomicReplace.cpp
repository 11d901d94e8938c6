#include "AtomicReplace.h"

#include "PlantedLink.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace app {
namespace {

QString replaceDurably(const QString& path, const std::function<bool(QIODevice&)>& write, bool inPlaceFallback)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(inPlaceFallback);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    // Flushed before the commit: a write that only filled the buffer
    // succeeds, and the commit does not see the failed flush of its close
    // (a full disk gave an empty file in place of the old one).
    if (!write(file) || !file.flush() || !file.commit()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return why;
    }
    return QString();
}

/// Makes `path` directly when nothing is there yet: nothing good can be
/// replaced by half a file, and O_EXCL follows no link planted at the name.
/// Saves the temporary name and the rename (two directory changes a file,
/// thousands of them for a drawing's layer pictures). A failed write removes
/// the file again. Returns nullopt when something is at `path`.
std::optional<QString> writeNewFile(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    const QByteArray native = QFile::encodeName(path);
    // Owner-only, as the temporary file a replacement goes through.
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (errno == EEXIST)
            return std::nullopt;
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ::unlink(native.constData());
        return file.errorString();
    }
    try {
        if (!write(file) || !file.flush()) {
            const QString why = file.errorString();
            file.close();
            ::unlink(native.constData());
            return why;
        }
    } catch (...) {
        file.close();
        ::unlink(native.constData());
        throw;
    }
    file.close();
    return QString();
}

QString replaceQuickly(const QString& path, const std::function<bool(QIODevice&)>& write)
{
    if (std::optional<QString> made = writeNewFile(path, write))
        return *made;
    QTemporaryFile temporary(path + QStringLiteral(".XXXXXX.tmp"));
    if (!temporary.open() || !write(temporary) || !temporary.flush())
        return temporary.errorString();
    temporary.close();
    // std::filesystem::rename replaces an existing file in one step on every
    // platform (QFile::rename refuses to).
    std::error_code code;
    std::filesystem::rename(std::filesystem::path(temporary.fileName().toStdU16String()),
                            std::filesystem::path(path.toStdU16String()), code);
    if (code)
        return QString::fromStdString(code.message());
    temporary.setAutoRemove(false);
    return QString();
}

} // namespace

QString replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write, ReplaceOptions options)
{
    // QSaveFile resolves a link itself and replaces its target, out of the
    // kernel's sight: another user's link in /tmp is refused here.
    if (const QString link = plantedLinkOnPath(path); !link.isEmpty())
        return plantedLinkReason(link);
    if (options.sync == FileSync::RenameOnly)
        return replaceQuickly(path, write);
    return replaceDurably(path, write, options.inPlaceWhenFolderLocked);
}

QString replaceFile(const QString& path, const QByteArray& bytes, ReplaceOptions options)
{
    return replaceFile(
        path, [&](QIODevice& file) { return file.write(bytes) == bytes.size(); }, options);
}

} // namespace app
