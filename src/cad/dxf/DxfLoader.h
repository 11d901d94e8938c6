#pragma once

// Reads an ASCII DXF drawing (R12 to R2018) into a Drawing, and records in a
// DxfSource where its LAYER entries and $CLAYER lie so they can be saved back.

#include "cad/Drawing.h"
#include "cad/DxfSource.h"

#include <QByteArray>
#include <QString>

namespace cad::dxf {

struct LoadedDrawing {
    Drawing drawing;
    DxfSource source;
};

/// Reads `bytes` (a whole DXF file). Throws DxfFormatError with a one-line
/// message when they are not a drawing this host can read. A file cut off in
/// the middle keeps what was read before the cut.
LoadedDrawing loadDxf(QByteArray bytes);

/// Reads the file at `path` and stamps the source with its size, time and
/// hash. Throws DxfFormatError (also when the file cannot be opened).
LoadedDrawing loadDxfFile(const QString& path);

} // namespace cad::dxf
