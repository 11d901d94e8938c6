#pragma once

#include <QtGlobal>
#include <cmath>

namespace app {

/// Window positions and sizes are kept in twips (1/1440 inch); widgets work in
/// pixels. These are the only conversions between the two.
constexpr double kTwipsPerInch = 1440.0;

/// Logical DPI of the primary screen (96 on the offscreen platform).
double logicalDpi();

inline int twipsToPixels(double twips, double dpi) { return int(std::lround(twips * dpi / kTwipsPerInch)); }
inline double pixelsToTwips(double pixels, double dpi) { return pixels * kTwipsPerInch / dpi; }
inline int twipsToPixels(double twips) { return twipsToPixels(twips, logicalDpi()); }
inline double pixelsToTwips(double pixels) { return pixelsToTwips(pixels, logicalDpi()); }

} // namespace app
