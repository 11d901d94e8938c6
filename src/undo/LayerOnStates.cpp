#include "LayerOnStates.h"

#include "acad/BatchReads.h"

namespace undo {

std::vector<LayerOnState> readLayerOnStates(acad::Document& document)
{
    std::vector<LayerOnState> states;
    if (auto* batch = dynamic_cast<acad::BatchReads*>(&document)) {
        for (const acad::LayerSnapshot& record : batch->layerSnapshotAll())
            states.push_back({record.sLayerName, record.bLayerOn != acad::vbFalse});
        return states;
    }
    const acad::LayersPtr layers = document.layers();
    const qint32 count = layers->count();
    for (qint32 i = 0; i < count; ++i) {
        const acad::LayerPtr layer = layers->item(i);
        states.push_back({layer->name(), layer->layerOn()});
    }
    return states;
}

} // namespace undo
