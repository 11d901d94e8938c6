#pragma once

#include "acad/LayerSnapshot.h"

class QListWidget;

namespace viewer {

/// The order a list box kept sorted gives its entries: without regard to
/// case, and names that differ only in case in code-unit order.
bool sortsBefore(const QString& a, const QString& b);

/// Sorts names the way the refresh does: clears `sortList` (the hidden
/// sorted list box), adds names 1 .. of `names` each at its sorted place and
/// reads them back by position (position p goes to element p + 1).
acad::NameList sortThroughList(QListWidget& sortList, const acad::NameList& names);

} // namespace viewer
