#pragma once

// What file system a benchmark's files live on: the figures of making and
// deleting many small files depend on it (ext4 without a journal steps over
// recently freed inodes for every new file).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <algorithm>

namespace benchsupport {

/// The file system type and options of the mount holding `path`
/// (/proc/self/mounts: the longest mount point that is a prefix).
inline QByteArray fileSystemOf(const QString& path)
{
    QFile mounts(QStringLiteral("/proc/self/mounts"));
    if (!mounts.open(QIODevice::ReadOnly))
        return "?";
    const QByteArray canonical = QFileInfo(path).canonicalFilePath().toUtf8() + '/';
    QByteArray best, found = "?";
    for (const QByteArray& line : mounts.readAll().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 4)
            continue;
        const QByteArray point = f[1].endsWith('/') ? f[1] : f[1] + '/';
        if (canonical.startsWith(point) && point.size() > best.size()) {
            best = point;
            found = f[2] + " (" + f[3] + ")";
            // ext4 keeps a journal when jbd2 runs for the device.
            if (f[2] == "ext4") {
                const QString device = QFileInfo(QString::fromUtf8(f[0])).fileName() + u'-';
                const QStringList journals = QDir(QStringLiteral("/proc/fs/jbd2")).entryList(QDir::Dirs);
                const bool journal = std::any_of(journals.begin(), journals.end(),
                                                 [&](const QString& j) { return j.startsWith(device); });
                found += journal ? " with a journal" : " without a journal";
            }
        }
    }
    return found;
}

} // namespace benchsupport
