#pragma once

#include "AcadSurface.h"

namespace acad {

/// Switches every layer of the drawing but the current one on and thaws it,
/// in the layers' table order (thaw first, then on), as the whole-drawing
/// picture needs it: the layer names and the current layer are read once,
/// then the writes go as one batch. The current layer itself is never
/// touched. Throws at the first refusal (LayerWriteRefused, the writes before
/// it done). The viewer's refresh and the host's batch modes both go through
/// this, so the rule lives in one place.
void switchLayersOnAndThawed(Document& document);

} // namespace acad
