#pragma once

#include <QString>

namespace app {

/// The first symbolic link on the way to `path` that the kernel's
/// protected-symlinks rule would refuse to follow, or "" when there is none:
/// a link in a sticky folder anyone may write (/tmp) that belongs neither to
/// this process's user nor to the folder's owner. A program that resolves
/// such a link itself and writes to its target does what the rule exists to
/// stop (another user's link turning our write onto a file of ours); writers
/// refuse the path instead, whatever the kernel's setting.
QString plantedLinkOnPath(const QString& path);

/// Why a path through `link` is refused, without the path.
QString plantedLinkReason(const QString& link);

/// The message for a refused path, in the form writers report failures.
QString plantedLinkMessage(const QString& path, const QString& link);

} // namespace app
