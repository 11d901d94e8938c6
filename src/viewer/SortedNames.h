#pragma once

#include "acad/LayerSnapshot.h"

class QListWidget;

namespace viewer {

/// The order a list box kept sorted gives its entries, a word sort: hyphens
/// and apostrophes are passed over ("DIM655" before "DIM-C60"), the rest is
/// compared without regard to case (Unicode case folding, then UTF-16 code
/// units). Names equal so far go in code-unit order of what is compared
/// (case decides), then of the whole names (the passed-over characters decide).
bool sortsBefore(const QString& a, const QString& b);

/// Sorts names the way the refresh does: clears `sortList` (the hidden
/// sorted list box), adds names 1 .. of `names` each at its sorted place and
/// reads them back by position (position p goes to element p + 1).
acad::NameList sortThroughList(QListWidget& sortList, const acad::NameList& names);

} // namespace viewer
