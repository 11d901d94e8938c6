#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace app {

/// The whole of `path` when it is a regular file of at most `maxBytes`;
/// nothing for anything else: no file, a symbolic link (not followed), a
/// FIFO or device (opened without waiting, never read), a folder, a file
/// larger than the limit, or a read that fails.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes);

/// What is at `path` without following a link there.
enum class PathKind { Missing, RegularFile, Other };
PathKind pathKind(const QString& path);

} // namespace app
