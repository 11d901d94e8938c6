#include "TileGeometry.h"

#include <cmath>

namespace tile {

qint32 columnsFor(double areaWidth, double frameWidth)
{
    const double columns = std::floor(areaWidth / (frameWidth + kGap));
    return columns > 0 ? qint32(columns) : 0;
}

std::optional<TilePlacement> placeTile(qint32 index, double areaWidth, qint32 rowsScrolled,
                                       double frameWidth, double frameHeight)
{
    const qint32 columns = columnsFor(areaWidth, frameWidth);
    if (columns < 1)
        return std::nullopt;
    TilePlacement p;
    p.col = index % columns;
    if (p.col == 0)
        p.col = columns;
    p.row = (index - p.col) / columns + 1;
    p.top = (frameHeight + kGap) * (p.row - 1 - rowsScrolled) + kMargin;
    p.left = (frameWidth + kGap) * (p.col - 1) + kMargin;
    return p;
}

} // namespace tile
