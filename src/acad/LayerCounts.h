#pragma once

#include "AcadSurface.h"
#include "LayerSnapshot.h"

#include <vector>

namespace acad {

/// Number of objects on one layer; deletes every selection set of the
/// document first and leaves "cSet" behind. Both the viewer and the host's
/// batch members count through these, so the two always agree.
qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const QString& layerName);
/// Number of objects on the layers of a name list (elements 1..; element 0 never read).
qint32 CountLayerObjects(const DocumentPtr& oAcadDoc, const NameList& layerNames);
/// Number of objects on all of these names (no unused element 0).
qint32 CountLayerObjectsOf(const DocumentPtr& oAcadDoc, const QStringList& layerNames);
/// The count of each name of a name list (elements 1..) on its own, in
/// order: what one CountLayerObjects call per name gives, the document left
/// as after the last of them. One round trip where the backend offers batch
/// reads (the bus), so a refresh of many layers stays fast.
std::vector<qint32> CountLayerObjectsEach(const DocumentPtr& oAcadDoc, const NameList& layerNames);

} // namespace acad
