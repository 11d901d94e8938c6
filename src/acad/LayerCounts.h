#pragma once

#include "AcadSurface.h"
#include "LayerSnapshot.h"

#include <vector>

namespace acad {

/// Number of objects on one layer; deletes every selection set of the
/// document first and leaves "cSet" behind. These go through the document's
/// batched count (Document::countLayerObjects): one round trip on the bus,
/// the single members elsewhere; the host's bus members count with the same
/// single-member series, so the two always agree.
qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const QString& layerName);
/// Number of objects on the layers of a name list (elements 1..; element 0 never read).
qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const NameList& layerNames);
/// Number of objects on all of these names (no unused element 0).
qint32 CountLayerObjectsOf(const DocumentPtr& oAcadDoc, const QStringList& layerNames);
/// The count of each name of a name list (elements 1..) on its own, in
/// order: what one CountLayerObjects call per name gives, the document left
/// as after the last of them.
std::vector<qint32> CountLayerObjectsEach(const DocumentPtr& oAcadDoc, const NameList& layerNames);

} // namespace acad
