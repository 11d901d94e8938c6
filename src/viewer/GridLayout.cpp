#include "GridLayout.h"

#include "tile/TileGeometry.h"

namespace viewer {

LowerArea lowerAreaFor(double windowWidth, double statusTop)
{
    LowerArea area;
    area.picMainWidth = windowWidth - 160;
    area.picMainHeight = statusTop - LowerAreaGeometry::kPicMainTop;
    area.scrollBarLeft = windowWidth - 420;
    area.scrollBarHeight = area.picMainHeight - 60;
    return area;
}

WindowSizeCorrection correctWindowSize(double width, double height)
{
    if (width < LowerAreaGeometry::kMinWindowWidth)
        return {true, LowerAreaGeometry::kMinWindowWidth, height};
    if (height < LowerAreaGeometry::kMinWindowHeight)
        return {true, width, LowerAreaGeometry::kMinWindowHeight};
    return {false, width, height};
}

GridSize gridSizeFor(qint32 tileCount, double areaWidth, double frameWidth)
{
    GridSize grid;
    grid.columns = tile::columnsFor(areaWidth, frameWidth);
    if (tileCount < grid.columns)
        grid.columns = tileCount;
    if (grid.columns > 0)
        grid.rows = (tileCount + grid.columns - 1) / grid.columns;
    return grid;
}

QString gridCaption(const GridSize& grid)
{
    return designCaption() + QStringLiteral(" (") + QString::number(grid.rows) + QChar(0x00D7)
           + QString::number(grid.columns) + QLatin1Char(')');
}

QString designCaption()
{
    return QStringLiteral("画層ビューワ");
}

} // namespace viewer
