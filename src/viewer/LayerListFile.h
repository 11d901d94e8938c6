#pragma once

#include "acad/LayerSnapshot.h"

#include <QString>

namespace viewer {

enum class LayerListRead {
    Read,       ///< the names were appended
    Reported,   ///< the file is missing; the reader has told the user
    Unreadable, ///< the file cannot be read as a table (too large, unreadable)
};

/// Reads a layer-list file (a CSV array file, one layer name in the first
/// field of each record) and appends the names, in file order, to `names`
/// (from element 1). Empty records (a blank line, ",,,") name nothing and are
/// left out; other names are neither checked against the drawing nor
/// de-duplicated. A file larger than kLayerListFileLimit is not read.
/// Read as csv::readLayerList reads it, the reading that names more layers of
/// `drawingLayers` (a layer-name list, compared without regard to case) winning.
LayerListRead readLayerListFile(const QString& path, const acad::NameList& drawingLayers, acad::NameList& names);

/// Far beyond any list of layers (drawings hold some thousands at most).
constexpr qint64 kLayerListFileLimit = 256ll << 20;

/// Why a list that was read cannot serve as the refresh's list of layers.
enum class LayerListProblem {
    None,
    TooManyNames, ///< more names than kListedNamesPerLayer a layer of the drawing (and over kListedNamesFloor)
    NoLayerNamed, ///< not one name is a layer of the drawing
};
constexpr qsizetype kListedNamesPerLayer = 10;
constexpr qsizetype kListedNamesFloor = 100;

/// Checks the names of a list (from element 1) against the drawing's layer
/// names (from element 1; compared case-insensitively, as the host does).
LayerListProblem checkLayerList(const acad::NameList& listed, const acad::NameList& drawingLayers);

/// The message that ends the refresh for a list that cannot be used.
QString layerListRefusal(const QString& path, LayerListProblem problem, qsizetype listedNames, qsizetype layers);
/// The message for a list that could not be read at all.
QString layerListUnreadable(const QString& path);

} // namespace viewer
