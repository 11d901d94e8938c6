#pragma once

#include <QPainterPath>
#include <QPolygonF>
#include <QRectF>

namespace metafile {

// Arcs and ellipses within one device pixel, as the lines the painter would
// flatten their curves to: a curve that small is never split, so each one
// becomes the straight line between its ends. Drawing those lines straight
// away spares building the curves, and a whole drawing shrunk into an
// overview holds tens of thousands of such arcs.

/// The lines of the arc of the ellipse in `box` from `startAngle` over
/// `span` degrees (counterclockwise on screen, as Qt's arc angles count), in
/// the units of `box`; `scratch` is a path whose storage is reused. False,
/// and `lines` unspecified, when the painter would draw no curve at all.
bool tinyArcLines(const QRectF& box, double startAngle, double span, QPainterPath& scratch, QPolygonF& lines);

/// The closed lines of the whole ellipse in `box`, in the units of `box`.
void tinyEllipseLines(const QRectF& box, QPolygonF& lines);

} // namespace metafile
