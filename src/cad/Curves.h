#pragma once

// Curves as polylines: the picture backends draw straight segments (and full
// circles), so arcs, bulges, ellipses and splines are flattened here. Every
// function takes the largest distance the polyline may stray from the true
// curve (`tolerance`, drawing units) and returns at least the end points.

#include "cad/Entity.h"

#include <QPointF>

#include <optional>
#include <vector>

namespace cad {

/// Points of the arc from `startDegrees` counterclockwise to `endDegrees`.
std::vector<QPointF> flattenArc(QPointF centre, double radius, double startDegrees, double endDegrees,
                                double tolerance);

/// Points of an ellipse arc between two parameters (radians, counterclockwise).
std::vector<QPointF> flattenEllipse(const EllipseGeom& ellipse, double tolerance);

/// The circle a polyline segment with a bulge runs on: angles in radians,
/// `sweep` negative for a clockwise segment. Nullopt for a straight segment.
struct BulgeArc {
    QPointF centre;
    double radius = 0;
    double startAngle = 0;
    double sweep = 0;
};
std::optional<BulgeArc> bulgeArc(QPointF from, QPointF to, double bulge);

/// How many straight pieces `sweep` radians of a circle of `radius` need to
/// stay within `tolerance`.
int arcSegments(double radius, double sweep, double tolerance);

/// The outline of polyline vertices with bulges turned into arc points;
/// `closed` adds the segment from the last vertex back to the first.
std::vector<QPointF> flattenBulges(const std::vector<PolyVertex>& vertices, bool closed, double tolerance);

/// The spline's curve (B-spline with its knots and weights) when its control
/// points and knots agree, else the curve through its fit points, else its
/// control polygon.
std::vector<QPointF> flattenSpline(const SplineGeom& spline, double tolerance);

} // namespace cad
