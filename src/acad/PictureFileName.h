#pragma once

#include <QString>

namespace acad {

/// The file name of a layer's picture in the work folder: the layer name with
/// ".wmf" appended, unchanged when the name is a safe file name on Linux and
/// Windows alike. Otherwise the characters that are not (path separators,
/// control characters, `<>:"|?*`, `%` itself, a trailing dot or space, and the
/// names "." and "..") are written as %XX of their UTF-8 bytes, so the result
/// never leaves the folder and two layer names never share one file. A name
/// whose file name would pass 240 bytes is cut and given a hash of the whole
/// name. The host, the tiles and the export all name pictures through this.
QString pictureFileName(const QString& layerName);

} // namespace acad
