#pragma once

#include "LayerSnapshot.h"

#include <QStringList>
#include <QtGlobal>
#include <vector>

namespace acad {

/// Reads a document backend may offer in one step where the single members
/// would cost one round trip each (the bus client does). Each gives exactly
/// what the named series of single members gives; the bridge uses them when a
/// document implements this interface and the single members otherwise.
class BatchReads {
public:
    virtual ~BatchReads() = default;
    /// Every layer's record, in table order (no unused element 0): the reads of
    /// readLayerRecords() over the host's own document.
    virtual std::vector<LayerSnapshot> layerSnapshotAll() = 0;
    /// Every linetype's name, in table order, ByLayer and ByBlock included.
    virtual QStringList linetypeNames() = 0;
    /// The object count of CountLayerObjects for these names (all
    /// of them counted; no unused element 0), done inside the host.
    virtual qint32 countLayerObjects(const QStringList& layerNames) = 0;
    /// For each name in turn, countLayerObjects of that name alone.
    virtual std::vector<qint32> countLayerObjectsEach(const QStringList& layerNames) = 0;
};

} // namespace acad
