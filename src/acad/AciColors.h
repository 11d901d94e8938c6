#pragma once

#include <QtGlobal>

namespace acad {

/// The RGB colour of a CAD colour index, as the layer's colour swatch shows
/// it (fully opaque 0xAARRGGBB, the bits of a QRgb). 1-9 are the named colours (7 is white),
/// 10-249 the hue/shade wheel, 250-255 greys; every other value, among them
/// 0 (ByBlock) and 256 (ByLayer), is black. Drawing colour 7 black on a white
/// picture is the renderer's own business.
quint32 ColorIndexToRgb(qint32 index);

} // namespace acad
