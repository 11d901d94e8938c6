#pragma once

#include "acad/LayerSnapshot.h"

namespace viewer {

/// Reads a layer-list file (a CSV array file, one layer name in the first
/// field of each record) and appends the names, in file order, to `names`
/// (from element 1). Names are neither checked against the drawing nor
/// de-duplicated. Returns false when the file cannot be read; a missing file
/// has then been reported to the user by the reader.
///
/// Beyond the general table rules: a layer name holds no line break, so a
/// lone LF ends a record too (lists written on Linux). A file without
/// byte-order mark is read as UTF-8 and as code page 932, and the reading
/// that names more layers of `drawingLayers` (a layer-name list, compared
/// without regard to case) wins; on a tie, code page 932, the encoding of
/// lists written on the original platform. So bytes that happen to be valid
/// UTF-8 ("ﾃｽ" in code page 932 reads as "ý") do not give wrong names.
bool readLayerListFile(const QString& path, const acad::NameList& drawingLayers, acad::NameList& names);

} // namespace viewer
