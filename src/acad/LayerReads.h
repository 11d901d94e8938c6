#pragma once

#include "AcadSurface.h"
#include "LayerSnapshot.h"

#include <vector>

namespace acad {

/// One layer's record, its properties read in this order: Name, Linetype,
/// PlotStyleName, Freeze, LayerOn, Lock, ViewportDefault, Plottable, Color,
/// Lineweight. Any non-zero host value counts as True.
LayerSnapshot readLayerRecord(Layer& layer);

/// Every layer's record in the order the document's layer collection
/// enumerates them (no unused element 0). Failures reach the caller.
std::vector<LayerSnapshot> readLayerRecords(Document& document);

/// Every linetype name in collection order, as the host spells it.
QStringList readLinetypeNames(Document& document);

/// True for the two pseudo linetypes ByLayer and ByBlock, in any letter case;
/// they never go into the linetype list.
bool isPseudoLinetype(const QString& name);

} // namespace acad
