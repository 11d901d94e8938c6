#pragma once

#include "AcadSurface.h"

namespace acad {

/// Switches every layer of the drawing but the current one on and thaws it,
/// in the layers' table order (thaw first, then on), as the whole-drawing
/// picture needs it. The current layer's name is read anew for each layer;
/// the current layer itself is never touched. Throws AcadError at the first
/// refusal. The viewer's refresh and the host's batch modes both go through
/// this, so the rule lives in one place.
void switchLayersOnAndThawed(Document& document);

} // namespace acad
