#pragma once

// Folders that make writes fail or mislead them, for tests of writers:
// a file system with no room left (a small tmpfs, filled; it needs root, as
// the tests have here and in CI, and skips otherwise), and a sticky folder
// anyone may write, like /tmp, holding a link "another user" planted.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {

/// The whole file, or "<unreadable>".
inline QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

/// Writes `bytes` as the whole file; false when that failed.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

/// A tmpfs of 256 KiB mounted in a temporary folder. `fill()` takes its
/// last byte, after the files a test put there.
class FullFileSystem {
public:
    FullFileSystem()
    {
        m_mounted = m_dir.isValid()
                    && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, "size=256k") == 0;
    }
    ~FullFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    FullFileSystem(const FullFileSystem&) = delete;
    FullFileSystem& operator=(const FullFileSystem&) = delete;

    /// False where the test may not mount (not root): the test skips.
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    /// Writes a file of padding until nothing more fits.
    void fill() const
    {
        QFile pad(filePath(QStringLiteral(".padding")));
        if (!pad.open(QIODevice::WriteOnly | QIODevice::Append))
            return;
        const QByteArray block(4096, 'p');
        while (pad.write(block) == block.size() && pad.flush()) {
        }
        pad.close();
        // The last partial block, byte by byte.
        QFile tail(filePath(QStringLiteral(".padding-tail")));
        if (tail.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (tail.write("p", 1) == 1) {
            }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

/// A sticky folder anyone may write (mode 1777, owned by this process's
/// user), where `plantLink` makes a link that belongs to another user.
class StickyFolder {
public:
    StickyFolder() { ::chmod(QFile::encodeName(m_dir.path()).constData(), 01777); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

    /// A link `name` to `target` owned by user `owner` (65534, "nobody", by
    /// default); false when it cannot be made (not root).
    bool plantLink(const QString& name, const QString& target, uid_t owner = 65534) const
    {
        const QByteArray link = QFile::encodeName(filePath(name));
        return ::symlink(QFile::encodeName(target).constData(), link.constData()) == 0
               && ::lchown(link.constData(), owner, owner) == 0;
    }

private:
    QTemporaryDir m_dir;
};

} // namespace testsupport
