#include "SheetGeometry.h"

#include "TextWidth.h"
#include "WorkbookModel.h"

#include <cmath>

namespace excel {
namespace {

qint64 toEmu(double points)
{
    if (!std::isfinite(points) || points <= 0)
        return 0;
    return qint64(std::llround(points * double(kEmuPerPoint)));
}

} // namespace

CellAnchor anchorAt(double xPoints, double yPoints, const std::map<qint32, double>& columnWidths)
{
    CellAnchor anchor;

    // Columns differ in width; walk them. Wide sheets are rare and short.
    qint64 x = toEmu(xPoints);
    for (qint32 column = 1; column < kMaxColumns; ++column) {
        const auto it = columnWidths.find(column);
        const double width = it == columnWidths.end() ? kDefaultColumnWidth : it->second;
        const qint64 columnEmu = qint64(columnWidthPixels(width)) * kEmuPerPixel;
        if (columnEmu > 0 && x < columnEmu)
            break;
        x -= columnEmu;
        anchor.column = column;
    }
    anchor.columnOffset = x;

    // Rows are all of the default height: divide.
    const qint64 rowEmu = toEmu(kDefaultRowHeightPoints);
    const qint64 y = toEmu(yPoints);
    anchor.row = qint32(std::min<qint64>(y / rowEmu, kMaxRows - 1));
    anchor.rowOffset = y - qint64(anchor.row) * rowEmu;
    return anchor;
}

} // namespace excel
