#pragma once

// A spline stored only by its fit points (the points the user clicked, with
// no control points or knots) is the cubic B-spline that runs through them:
// chord-length parameters, end directions from the file's tangents where it
// gives them and otherwise from the parabolas through the first and last
// three points, the end derivatives as long as the whole curve. Pure geometry.

#include "cad/Entity.h"

#include <optional>

namespace cad {

/// The spline through `spline.fitPoints` as control points, knots and degree
/// (degree 1 for two points). Nullopt with fewer than two distinct points or
/// coordinates that cannot be used.
std::optional<SplineGeom> splineThroughFitPoints(const SplineGeom& spline);

} // namespace cad
