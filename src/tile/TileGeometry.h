#pragma once

#include <QtGlobal>
#include <optional>

namespace tile {

/// Sizes of a tile and of the grid it sits in, in twips. A tile frame is
/// 2565 x 3015; tiles stand 100 apart with a 30 margin at the top left of the
/// tile area, so the grid pitch is 2665 across and 3115 down.
constexpr double kFrameWidth = 2565;
constexpr double kFrameHeight = 3015;
constexpr double kGap = 100;
constexpr double kMargin = 30;

/// Columns that fit a tile area `areaWidth` wide with frames `frameWidth`
/// wide: the whole part of areaWidth / (frameWidth + gap). May be 0.
qint32 columnsFor(double areaWidth, double frameWidth = kFrameWidth);

/// A tile's 1-based place in the grid and its frame's top-left corner
/// inside the tile area.
struct TilePlacement {
    qint32 row = 0;
    qint32 col = 0;
    double left = 0;
    double top = 0;
};

/// Where tile `index` (1-based) goes in a tile area `areaWidth` wide when
/// `rowsScrolled` whole rows lie above the visible area: tiles fill a row
/// left to right, then the next; rows above the view get negative tops.
/// nullopt when the area is narrower than one pitch (no column fits).
std::optional<TilePlacement> placeTile(qint32 index, double areaWidth, qint32 rowsScrolled,
                                       double frameWidth = kFrameWidth,
                                       double frameHeight = kFrameHeight);

/// Layout of the controls inside a tile, relative to their container:
/// frame (position set by placeTile), button bar, picture, three state
/// buttons, colour swatch, linetype box and name box.
struct ControlBox {
    double left, top, width, height;
};
constexpr ControlBox kBarBox{0, 2700, 2565, 315};
constexpr ControlBox kPictureBox{0, 270, 2535, 2415};
constexpr ControlBox kViewButtonBox{60, 60, 195, 195};
constexpr ControlBox kFreezeButtonBox{360, 60, 195, 195};
constexpr ControlBox kLockButtonBox{660, 60, 195, 195};
constexpr ControlBox kColorBox{930, 60, 195, 195};
/// The linetype box keeps the height the toolkit gives it; only the rest is set.
constexpr ControlBox kLineTypeBox{1200, 15, 1335, 0};
constexpr ControlBox kNameBox{0, 0, 2565, 255};

} // namespace tile
