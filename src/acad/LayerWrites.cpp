#include "LayerWrites.h"

#include "AcadSurface.h"

namespace acad {

QString layerPropertyName(LayerProperty property)
{
    switch (property) {
    case LayerProperty::LayerOn: return QStringLiteral("LayerOn");
    case LayerProperty::Freeze: return QStringLiteral("Freeze");
    case LayerProperty::Lock: return QStringLiteral("Lock");
    case LayerProperty::Linetype: return QStringLiteral("Linetype");
    case LayerProperty::Unknown: break;
    }
    return QString();
}

LayerProperty layerPropertyNamed(const QString& name)
{
    for (LayerProperty p : {LayerProperty::LayerOn, LayerProperty::Freeze, LayerProperty::Lock, LayerProperty::Linetype}) {
        if (name == layerPropertyName(p))
            return p;
    }
    return LayerProperty::Unknown;
}

bool isHostLost(const AcadError& failure)
{
    return failure.number() == error::kHostUnreachable || failure.number() == error::kHostTimeout;
}

void checkLayerWrite(const LayerWrite& write)
{
    const QMetaType::Type wanted = write.property == LayerProperty::Linetype ? QMetaType::QString : QMetaType::Bool;
    if (write.property == LayerProperty::Unknown)
        throw AcadError(error::kInvalidArgument, QStringLiteral("画層の書き込みに不明なプロパティがあります。"));
    if (write.value.typeId() != wanted)
        throw AcadError(error::kInvalidArgument,
                        QStringLiteral("「%1」の値は%2でなければなりません。")
                            .arg(layerPropertyName(write.property),
                                 wanted == QMetaType::Bool ? QStringLiteral("真偽値") : QStringLiteral("文字列")));
}

std::vector<qint32> applyLayerWritesOneByOne(Document& document, const LayerWrites& writes, OnRefusal onRefusal)
{
    std::vector<qint32> refused;
    if (writes.empty())
        return refused;
    const LayersPtr layers = document.layers();
    LayerPtr layer;
    QString layerName;
    for (std::size_t i = 0; i < writes.size(); ++i) {
        const LayerWrite& write = writes[i];
        try {
            checkLayerWrite(write);
            if (!layer || write.layer != layerName) {
                layer.reset();
                layer = layers->item(write.layer);
                layerName = write.layer;
            }
            switch (write.property) {
            case LayerProperty::LayerOn: layer->setLayerOn(write.value.toBool()); break;
            case LayerProperty::Freeze: layer->setFreeze(write.value.toBool()); break;
            case LayerProperty::Lock: layer->setLock(write.value.toBool()); break;
            case LayerProperty::Linetype: layer->setLinetype(write.value.toString()); break;
            case LayerProperty::Unknown: break;
            }
        } catch (const AcadError& failure) {
            if (onRefusal == OnRefusal::Stop || isHostLost(failure))
                throw LayerWriteRefused(qint32(i), write.layer, failure);
            refused.push_back(qint32(i));
        }
    }
    return refused;
}

} // namespace acad
