#pragma once

// Polylines with widths as the filled shapes a CAD draws: each segment a band
// from its start width to its end width (straight, or a ring piece for an arc
// segment), neighbouring bands meeting in a mitre; with a linetype, the
// bands are cut into its dashes. Pure geometry.

#include "cad/Entity.h"
#include "cad/render/LinetypeDashes.h"

#include <QPointF>

#include <vector>

namespace cad::render {

struct WidePolylineShapes {
    /// Outlines to fill, each on its own (they may overlap at the joins).
    std::vector<std::vector<QPointF>> bands;
    /// Segments without width, drawn as lines: runs of points.
    std::vector<std::vector<QPointF>> thinRuns;
};

/// True when any segment of the polyline has a width.
bool hasWidth(const PolylineGeom& polyline);

/// The shapes of a polyline whose vertices carry start and end widths
/// (`constantWidth`, when positive, replaces them all). Arc segments are
/// flattened within `tolerance`. With `pattern` (in the polyline's own
/// units) each band is cut into dashes that keep the width where they lie;
/// the pattern starts anew at each vertex unless the polyline asks it to run
/// on, and a dot is a line across the band.
WidePolylineShapes widePolylineShapes(const PolylineGeom& polyline, double tolerance,
                                      const DashPattern* pattern = nullptr);

} // namespace cad::render
