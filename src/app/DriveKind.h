#pragma once

#include <QString>

namespace app {

/// Whether `path` lies on a "fixed drive": a local, non-removable file system.
/// Network file systems (NFS, SMB/CIFS, FUSE mounts such as sshfs, AFS, 9p),
/// optical discs and file systems on removable block devices (USB sticks,
/// card readers) are another kind of drive. A path that does not exist yet is
/// judged by its nearest existing parent folder; when none can be examined the
/// answer is false, as for a drive letter with no drive behind it.
bool isOnFixedDrive(const QString& path);

} // namespace app
