#pragma once

// Hatch areas: which boundary loops count under the hatch's island style,
// and the pattern lines of a pattern hatch clipped to the area they enclose.
// Pure geometry in the hatch's own coordinates; the frontend draws the result.

#include "cad/Entity.h"
#include "cad/render/LinetypeDashes.h"

#include <QPointF>

#include <vector>

namespace cad::render {

/// The loops (flattened, closed implicitly) that bound the hatched area under
/// the island style: 0 normal, every loop, areas alternating in and out (odd
/// parity); 1 outermost, the external loops and the islands directly inside
/// them; 2 ignore, the external loops alone. A CAD records which loop is
/// which in the loop flags (1 external, 16 outermost); when no loop carries
/// those flags the nesting is worked out from the loops themselves, with
/// work near-linear in the loops for islands side by side
/// (`containmentChecks`, when given, receives the boxes and loops tested).
std::vector<std::vector<QPointF>> loopsForStyle(const std::vector<std::vector<QPointF>>& loops,
                                                const std::vector<std::int32_t>& flags, int style,
                                                std::size_t* containmentChecks = nullptr);

/// The pattern's line pieces (and dots) inside `loops` by odd parity.
/// `maximumPieces` bounds the work: a pattern that would need more pieces
/// than that is too dense to tell from a solid fill, and nothing is returned
/// (`tooDense` is set).
struct PatternFill {
    DashedStroke stroke;
    bool tooDense = false;
};
PatternFill clipPatternLines(const std::vector<HatchPatternLine>& lines,
                             const std::vector<std::vector<QPointF>>& loops, std::size_t maximumPieces = 200000);

} // namespace cad::render
