#pragma once

// A gradient hatch as a metafile can hold it: bands of solid colour, each
// the part of the hatch's area that lies in one step of the gradient, as a
// CAD plots a gradient to a device without gradients.

#include <QPointF>
#include <QRgb>
#include <QString>

#include <vector>

namespace cad::render {

/// The gradient's shape, by its name (HATCH group 470).
enum class GradientKind { Linear, Cylinder, InvCylinder, Spherical, InvSpherical, Hemispherical,
                          InvHemispherical, Curved, InvCurved };
GradientKind gradientKindNamed(const QString& name);

struct GradientBand {
    std::vector<std::vector<QPointF>> loops; ///< odd-even parity
    QRgb colour = 0;
};

/// Bands of `area` (polygons, odd-even parity) from `first` to `second`
/// colour: straight across the direction `angleRadians` for the linear and
/// cylinder kinds, rings about the area's centre for the others. Empty
/// bands are left out.
std::vector<GradientBand> gradientBands(const std::vector<std::vector<QPointF>>& area, GradientKind kind,
                                        double angleRadians, QRgb first, QRgb second, int bandCount = 24);

} // namespace cad::render
