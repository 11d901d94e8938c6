#pragma once

#include "acad/LayerSnapshot.h"

namespace viewer {

/// Reads a layer-list file (a CSV array file, one layer name in the first
/// field of each record) and appends the names, in file order, to `names`
/// (from element 1). Names are neither checked against the drawing nor
/// de-duplicated. Returns false when the file cannot be read; a missing file
/// has then been reported to the user by the reader.
bool readLayerListFile(const QString& path, acad::NameList& names);

} // namespace viewer
