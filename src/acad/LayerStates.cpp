#include "LayerStates.h"

namespace acad {

void switchLayersOnAndThawed(Document& document)
{
    const LayersPtr layers = document.layers();
    const qint32 count = layers->count();
    for (qint32 i = 0; i < count; ++i) {
        const LayerPtr layer = layers->item(i);
        if (layer->name() == document.activeLayer()->name())
            continue;
        layer->setFreeze(false);
        layer->setLayerOn(true);
    }
}

} // namespace acad
