#include "RegularFileRead.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes)
{
    const QByteArray native = QFile::encodeName(path);
    // O_NONBLOCK: opening a FIFO with no writer would wait for one.
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<QByteArray> out;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxBytes) {
        QByteArray bytes;
        bytes.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        bool failed = false;
        // The file may grow meanwhile; what it held when looked at is read.
        while (got < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + got, std::size_t(bytes.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                failed = true;
                break;
            }
            if (n == 0)
                break;
            got += n;
        }
        if (!failed) {
            bytes.truncate(got);
            out = std::move(bytes);
        }
    }
    ::close(fd);
    return out;
}

PathKind pathKind(const QString& path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? PathKind::Missing : PathKind::Other;
    return S_ISREG(st.st_mode) ? PathKind::RegularFile : PathKind::Other;
}

} // namespace app
