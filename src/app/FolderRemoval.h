#pragma once

#include <QByteArray>
#include <QString>

namespace app {

/// Deletes `path` with everything in it, never following a symbolic link:
/// a link inside the tree is removed itself and its target is left alone, and
/// when `path` itself is a link only the link goes. Does not cross into other
/// mounted file systems. Returns true when nothing is left at `path`
/// (also when there was nothing to begin with).
bool removeTreeWithoutFollowingLinks(const QString& path);

/// The same for a path already in the file system's encoding; uses no Qt
/// state, so it may run on any thread until the process's very end.
bool removeTreeWithoutFollowingLinks(const QByteArray& nativePath);

} // namespace app
