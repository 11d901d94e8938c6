#pragma once

#include "acad/LayerNameOrder.h"
#include "acad/LayerSnapshot.h"

class QListWidget;

namespace viewer {

/// The order a list box kept sorted gives its entries; the host's batch
/// export lists layers in it too, so it lives with the contract.
using acad::sortsBefore;

/// Sorts names the way the refresh does: clears `sortList` (the hidden
/// sorted list box), adds names 1 .. of `names` each at its sorted place and
/// reads them back by position (position p goes to element p + 1).
acad::NameList sortThroughList(QListWidget& sortList, const acad::NameList& names);

} // namespace viewer
