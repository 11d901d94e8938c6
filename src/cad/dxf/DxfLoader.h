#pragma once

// Reads an ASCII DXF drawing (R12 to R2018) into a Drawing, and records in a
// DxfSource where its LAYER entries and $CLAYER lie so they can be saved back.

#include "cad/Drawing.h"
#include "cad/DxfSource.h"
#include "cad/EntityStream.h"

#include <QByteArray>
#include <QString>

namespace cad::dxf {

struct LoadedDrawing {
    Drawing drawing;
    DxfSource source;
    /// The text ended before its EOF marker (a half-copied or cut file): the
    /// drawing holds what came before the cut.
    bool truncated = false;
    /// The number of the last line read.
    qsizetype lastLine = 0;
};

/// Reads `bytes` (a whole DXF text, held by the source for saving). Throws DxfFormatError with a one-line
/// message when they are not a drawing this host can read. A file cut off in
/// the middle keeps what was read before the cut and is marked truncated.
/// Like a CAD's recovery, a drawing always comes out with layer "0" and the
/// linetype "Continuous": when the file lacks them they are added at the end
/// of their table (and have no entry in the file's text).
/// With a `stream`, the model-space and paper-space entities go to it as they
/// are read and the drawing keeps none (its counts still include them).
LoadedDrawing loadDxf(QByteArray bytes, EntityStream* stream = nullptr);

/// Reads the file at `path` and stamps the source with its size and time;
/// the source keeps the file open, not its text. Throws DxfFormatError (also
/// when the file cannot be opened). A `stream` takes the entities as in loadDxf.
/// Read to report, the source keeps only the text's size (never saved).
LoadedDrawing loadDxfFile(const QString& path, EntityStream* stream = nullptr,
                          ReadPurpose purpose = ReadPurpose::Keep);

/// Reads the file open at `file` from its start (`path` names it in
/// messages); the source keeps it open to read the text back, unstamped.
LoadedDrawing loadDxfFile(OpenFile file, const QString& path, EntityStream* stream = nullptr,
                          ReadPurpose purpose = ReadPurpose::Keep);

} // namespace cad::dxf
