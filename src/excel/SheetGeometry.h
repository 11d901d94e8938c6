#pragma once

#include <QtGlobal>
#include <map>

namespace excel {

/// A corner of a drawing object as the package anchors it: a cell (0-based)
/// and an offset into it in EMU (1/914400 inch; 12700 to a point).
struct CellAnchor {
    qint32 column = 0;
    qint64 columnOffset = 0;
    qint32 row = 0;
    qint64 rowOffset = 0;
};

constexpr qint64 kEmuPerPoint = 12700;
constexpr qint64 kEmuPerPixel = 9525;

/// Where a point (in points from the sheet's top left) falls among the cells
/// of a sheet whose columns have the stored widths `columnWidths` (1-based;
/// other columns default) and whose rows are all of the default height.
/// Negative or non-finite positions are taken as 0.
CellAnchor anchorAt(double xPoints, double yPoints, const std::map<qint32, double>& columnWidths);

} // namespace excel
