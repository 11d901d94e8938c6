#include "LayerReads.h"

namespace acad {

LayerSnapshot readLayerRecord(Layer& layer)
{
    LayerSnapshot record;
    record.sLayerName = layer.name();
    record.sLineType = layer.linetype();
    record.sPlotStyleName = layer.plotStyleName();
    record.bAllViewportFreaze = toVb(layer.freeze());
    record.bLayerOn = toVb(layer.layerOn());
    record.bLock = toVb(layer.lock());
    record.bNewViewportFreaze = toVb(layer.viewportDefault());
    record.bPlottable = toVb(layer.plottable());
    record.lnColor = layer.color();
    record.lnLineWeight = layer.lineweight();
    return record;
}

std::vector<LayerSnapshot> readLayerRecords(Document& document)
{
    const LayersPtr layers = document.layers();
    const qint32 count = layers->count();
    std::vector<LayerSnapshot> records;
    records.reserve(size_t(qMax(count, 0)));
    for (qint32 index = 0; index < count; ++index)
        records.push_back(readLayerRecord(*layers->item(index)));
    return records;
}

QStringList readLinetypeNames(Document& document)
{
    const LinetypesPtr linetypes = document.linetypes();
    const qint32 count = linetypes->count();
    QStringList names;
    names.reserve(qMax(count, 0));
    for (qint32 index = 0; index < count; ++index)
        names.append(linetypes->item(index)->name());
    return names;
}

bool isPseudoLinetype(const QString& name)
{
    const QString lower = name.toLower();
    return lower == QLatin1String("bylayer") || lower == QLatin1String("byblock");
}

} // namespace acad
