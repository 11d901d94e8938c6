#pragma once

#include "AcadSurface.h"

namespace acad {

/// Switches every layer of the drawing but the current one on and thaws it,
/// in the layers' table order (thaw first, then on), as the whole-drawing
/// picture needs it: Document::switchLayersOnAndThawed, one round trip or a
/// few where the backend batches, the single members otherwise. The current
/// layer itself is never touched. Throws at the first refusal. The viewer's
/// refresh and the host's batch modes both go through this, so the rule
/// lives in one place (this file).
void switchLayersOnAndThawed(Document& document);

/// The rule with single members: per layer, Layers.Item(i) and its Name,
/// the current layer's name read anew, then Freeze False and LayerOn True.
/// Throws AcadError at the first refusal.
void switchLayersOnAndThawedOneByOne(Document& document);

/// The rule as one batch of writes for a backend that knows every layer's
/// name and the current one: thaw, then on, for each other name in order.
LayerWrites writesSwitchingLayersOnAndThawed(const QStringList& layerNames, const QString& currentLayer);

} // namespace acad
