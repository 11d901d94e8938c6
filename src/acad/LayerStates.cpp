#include "LayerStates.h"

namespace acad {

void switchLayersOnAndThawed(Document& document)
{
    document.switchLayersOnAndThawed();
}

void switchLayersOnAndThawedOneByOne(Document& document)
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

LayerWrites writesSwitchingLayersOnAndThawed(const QStringList& layerNames, const QString& currentLayer)
{
    LayerWrites writes;
    writes.reserve(std::size_t(layerNames.size()) * 2);
    for (const QString& name : layerNames) {
        if (name == currentLayer)
            continue;
        writes.push_back(LayerWrite::freeze(name, false));
        writes.push_back(LayerWrite::on(name, true));
    }
    return writes;
}

} // namespace acad
