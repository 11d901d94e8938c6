#pragma once

#include <QString>
#include <QtGlobal>

namespace viewer {

/// The fixed geometry of the main window's lower area, in twips: the tile
/// area PicMain below the upper band, its scroll bar at the right and the
/// smallest window the layout accepts (which always leaves room for one
/// column of tiles).
struct LowerAreaGeometry {
    static constexpr double kMinWindowWidth = 3090;
    static constexpr double kMinWindowHeight = 4380;
    static constexpr double kPicMainLeft = 30;
    static constexpr double kPicMainTop = 3480;
    static constexpr double kScrollBarTop = 3510;
    static constexpr double kScrollBarWidth = 255;
};

/// Sizes of the lower area for a window `windowWidth` wide whose status bar
/// starts at `statusTop` (both twips).
struct LowerArea {
    double picMainWidth = 0;
    double picMainHeight = 0;
    double scrollBarLeft = 0;
    double scrollBarHeight = 0;
};
LowerArea lowerAreaFor(double windowWidth, double statusTop);

/// The size a window must be corrected to, or the size itself when it is
/// big enough. The width is corrected first; a window both too narrow and
/// too low has only its width corrected by this call (the correction raises
/// another resize, which corrects the height).
struct WindowSizeCorrection {
    bool corrected = false;
    double width = 0;
    double height = 0;
};
WindowSizeCorrection correctWindowSize(double width, double height);

/// Columns and rows of the grid of `tileCount` tiles in a tile area
/// `areaWidth` wide: as many columns as fit (never more than the tiles) and
/// enough rows for all tiles. Zero columns when the area is narrower than
/// one pitch; zero rows for no tiles.
struct GridSize {
    qint32 columns = 0;
    qint32 rows = 0;
};
GridSize gridSizeFor(qint32 tileCount, double areaWidth, double frameWidth);

/// The window caption for a grid: "画層ビューワ (rows×columns)".
QString gridCaption(const GridSize& grid);
/// The caption before the first refresh.
QString designCaption();

} // namespace viewer
