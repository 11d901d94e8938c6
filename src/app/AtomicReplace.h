#pragma once

// Putting a whole new file in place of an old one, so that a reader or a
// crash sees the old file or the new one, never half of either. Every
// writer of a file the user keeps (settings, lists, pictures, workbooks,
// copies of shipped files) goes through here.

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

namespace app {

/// How far a finished file is pushed before it takes its name.
enum class FileSync {
    ToDisk,    ///< on the disk first: survives a power cut (costs milliseconds a file)
    RenameOnly ///< readers see the old or the whole new file; for files made anew each time
               ///< (a name nothing holds yet is written directly, and removed if a write fails)
};

struct ReplaceOptions {
    FileSync sync = FileSync::ToDisk;
    /// With FileSync::ToDisk: a writable file in a folder this process may
    /// not write is written in place (no longer all or nothing), as the
    /// platform's profile write does, rather than refused.
    bool inPlaceWhenFolderLocked = false;
};

/// Replaces the file at `path` through a new file beside it, once `write`
/// has put every byte there (false when a write failed; it may also throw,
/// and nothing is replaced then) and the last of them left our buffers.
/// A link another user planted in a folder anyone may write is refused, as
/// the kernel would refuse to follow it. Returns "" when the file holds the
/// new bytes; otherwise why not, without the path (callers name it in their
/// own form), and the old file is untouched and nothing is left beside it.
QString replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write, ReplaceOptions options = {});

/// replaceFile with `bytes` as the whole new file.
QString replaceFile(const QString& path, const QByteArray& bytes, ReplaceOptions options = {});

} // namespace app
