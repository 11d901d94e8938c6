#pragma once

#include <QPointF>
#include <QRectF>

namespace cad::render {

/// The part of the line base + t·direction, tMin <= t <= tMax, inside `box`
/// (Liang-Barsky): its ends in `a` and `b`; false when it misses the box.
/// Segments use 0..1, rays tMin..infinity, endless lines -infinity..infinity.
bool clipLineToBox(QPointF base, QPointF direction, double tMin, double tMax, const QRectF& box, QPointF& a,
                   QPointF& b);

} // namespace cad::render
