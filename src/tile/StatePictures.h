#pragma once

#include <QPixmap>
#include <QString>

namespace tile {

/// The six pictures a tile's state buttons show, each 13 x 13 pixels on a
/// transparent background (our own artwork, SVG in the resources).
enum class StatePicture { ViewOn, ViewOff, FreezeOn, FreezeOff, LockOn, LockOff };

/// The control name the main window gives the hidden picture holder
/// ("CmdViewOn", "CmdViewOff", ... ).
QString statePictureName(StatePicture which);

/// The picture rendered for the given device pixel ratio (sharp on high-DPI
/// screens), cached after the first call.
QPixmap statePixmap(StatePicture which, qreal devicePixelRatio = 1.0);

} // namespace tile
