#pragma once

#include <QRgb>
#include <QtGlobal>

namespace tile {

/// The RGB colour of a CAD colour index, as the layer's colour swatch shows
/// it (returns a QRgb, fully opaque). 1-9 are the named colours (7 is white),
/// 10-249 the hue/shade wheel, 250-255 greys; every other value, among them
/// 0 (ByBlock) and 256 (ByLayer), is black. Drawing colour 7 black on a white
/// picture is the renderer's own business.
QRgb ColorIndexToRgb(qint32 index);

} // namespace tile
