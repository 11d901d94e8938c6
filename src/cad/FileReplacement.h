#pragma once

// Putting a drawing's new text in place of its file without changing what
// the file is: its mode, owner, group and extended attributes stay, every hard link keeps seeing
// the new text, and a failure never leaves half a file behind.

#include <QByteArray>
#include <QString>

namespace cad {

/// Replaces the contents of `path` (symbolic links followed) with `bytes`,
/// or creates the file (mode 0666 less the umask); a link another user
/// planted in a sticky folder anyone may write is refused, not followed. Returns "" when written,
/// otherwise one line saying why nothing was changed. A file without write
/// permission is refused even when this process could write it (as root).
/// The new text goes to a temporary file beside the target first; it then
/// takes the target's place by a rename, keeping the target's mode, owner and
/// group. A target with more than one hard link, or whose owner or group this
/// process cannot give the new file, is written through in place from that
/// complete copy instead, so that the links are not split; if writing in
/// place fails, the old text is put back.
QString replaceFileContents(const QString& path, const QByteArray& bytes);

} // namespace cad
