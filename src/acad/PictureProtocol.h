#pragma once

// The picture protocol between the viewer's refresh and the host's picture
// macros: the four macro names the refresh runs, and where the macros write.
// The macro project's folder holds the work folder LAYER; LAYER/SYS holds the
// two drawing pictures, LAYER itself one picture per layer.

#include <QString>

namespace acad {

namespace macro {
/// The whole drawing as it is when the macro runs: LAYER/SYS/all.wmf.
inline const QString kMakeAll = QStringLiteral("QEMTIN.basWMF.pu_subMakeWMF_All");
/// The same, for the user's own view: LAYER/SYS/part.wmf.
inline const QString kMakePart = QStringLiteral("QEMTIN.basWMF.pu_subMakeWMF_Part");
/// One picture per layer of the drawing.
inline const QString kMakeAllLayer = QStringLiteral("QEMTIN.basWMF.pu_subMakeWMF_AllLayer");
/// One picture per layer that is on and thawed when the macro runs.
inline const QString kMakeViewLayer = QStringLiteral("QEMTIN.basWMF.pu_subMakeWMF_ViewLayer");
} // namespace macro

/// The work folder's name, beside the macro project file.
inline const QString kWorkFolderName = QStringLiteral("LAYER");
/// The subfolder of the work folder that holds the two drawing pictures.
inline const QString kSystemFolderName = QStringLiteral("SYS");
/// The whole drawing's picture (every layer but the current one on and thawed).
inline const QString kAllPictureName = QStringLiteral("all.wmf");
/// The picture of the drawing as the user has it.
inline const QString kPartPictureName = QStringLiteral("part.wmf");

/// LAYER inside `parentFolder` (the macro project's folder).
QString workFolderIn(const QString& parentFolder);
/// LAYER/SYS inside a work folder.
QString systemFolderIn(const QString& workFolder);

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
