#pragma once

#include <QString>

namespace app {

/// Whether the user may write into `folder`, judged by its permission bits:
/// the owner's, the group's or the others' write bit, whichever class the
/// effective user falls in, and a file system that is mounted for writing.
/// Root passes every permission check of the kernel, so asking the kernel
/// alone would call /usr/bin and a folder made read-only (mode 555) writable
/// for root; the bits answer the same for root as for anyone else. False when
/// `folder` is no folder.
bool folderWritableByPermissions(const QString& folder);

} // namespace app
