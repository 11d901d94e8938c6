#include "LayerStates.h"

namespace acad {

void switchLayersOnAndThawed(Document& document)
{
    const QStringList names = document.layerNames();
    const QString current = document.activeLayer()->name();
    LayerWrites writes;
    writes.reserve(std::size_t(names.size()) * 2);
    for (const QString& name : names) {
        if (name == current)
            continue;
        writes.push_back(LayerWrite::freeze(name, false));
        writes.push_back(LayerWrite::on(name, true));
    }
    document.setLayerProperties(writes, OnRefusal::Stop);
}

} // namespace acad
