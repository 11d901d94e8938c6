#include "DriveKind.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace app {
namespace {

// File-system magic numbers (statfs f_type) that mean "not a local disk".
bool isNetworkOrOpticalFileSystem(unsigned long type)
{
    switch (type) {
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x65735546:  // FUSE (sshfs, and other user-space mounts)
    case 0x5346414F:  // AFS
    case 0x73757245:  // Coda
    case 0x01021997:  // 9p (shared folders of virtual machines)
    case 0x9660:      // ISO 9660 (CD-ROM)
    case 0x15013346:  // UDF (DVD)
        return true;
    default:
        return false;
    }
}

// The kernel marks removable disks in sysfs; a partition inherits the mark of
// its disk (one folder up).
bool isOnRemovableBlockDevice(dev_t device)
{
    const QString base = QStringLiteral("/sys/dev/block/%1:%2").arg(major(device)).arg(minor(device));
    for (const QString& candidate : {base + QStringLiteral("/removable"), base + QStringLiteral("/../removable")}) {
        QFile flag(candidate);
        if (flag.open(QIODevice::ReadOnly))
            return flag.readAll().trimmed() == "1";
    }
    return false;
}

} // namespace

bool isOnFixedDrive(const QString& path)
{
    QString probe = QFileInfo(path).absoluteFilePath();
    while (!probe.isEmpty() && !QFileInfo::exists(probe)) {
        const QString parent = QFileInfo(probe).path();
        if (parent == probe)
            return false;
        probe = parent;
    }
    const QByteArray native = QFile::encodeName(probe);
    struct statfs fs {};
    struct stat st {};
    if (::statfs(native.constData(), &fs) != 0 || ::stat(native.constData(), &st) != 0)
        return false;
    if (isNetworkOrOpticalFileSystem(static_cast<unsigned long>(fs.f_type)))
        return false;
    return !isOnRemovableBlockDevice(st.st_dev);
}

} // namespace app
