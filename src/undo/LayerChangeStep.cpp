#include "LayerChangeStep.h"

namespace undo {

namespace {
bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

template <typename T>
void LayerChangeStep::record(Change<T>& change, const T& before, const T& after)
{
    if (change)
        change->second = after; // the first write's "before" is where the layer started
    else
        change.emplace(before, after);
}

LayerChangeStep::LayerChanges& LayerChangeStep::changesOf(const QString& layerName)
{
    const QString key = layerName.toCaseFolded();
    if (const auto found = m_indexByFoldedName.constFind(key); found != m_indexByFoldedName.cend())
        return m_layers[*found];
    m_indexByFoldedName.insert(key, m_layers.size());
    m_layers.push_back(LayerChanges{layerName, {}, {}, {}, {}});
    return m_layers.back();
}

void LayerChangeStep::recordOn(const QString& layerName, bool before, bool after)
{
    record(changesOf(layerName).on, before, after);
}

void LayerChangeStep::recordFrozen(const QString& layerName, bool before, bool after)
{
    record(changesOf(layerName).frozen, before, after);
}

void LayerChangeStep::recordLocked(const QString& layerName, bool before, bool after)
{
    record(changesOf(layerName).locked, before, after);
}

void LayerChangeStep::recordLinetype(const QString& layerName, const QString& before, const QString& after)
{
    record(changesOf(layerName).linetype, before, after);
}

void LayerChangeStep::recordCurrentLayer(const QString& before, const QString& after)
{
    record(m_currentLayer, before, after);
}

std::vector<LayerRestore> LayerChangeStep::layerRestores() const
{
    std::vector<LayerRestore> restores;
    for (const LayerChanges& layer : m_layers) {
        LayerRestore restore{layer.layerName, {}, {}, {}, {}};
        const auto changedFlag = [](const Change<bool>& change) -> std::optional<bool> {
            if (change && change->first != change->second)
                return change->first;
            return std::nullopt;
        };
        restore.on = changedFlag(layer.on);
        restore.frozen = changedFlag(layer.frozen);
        restore.locked = changedFlag(layer.locked);
        if (layer.linetype && !sameName(layer.linetype->first, layer.linetype->second))
            restore.linetype = layer.linetype->first;
        if (restore.on || restore.frozen || restore.locked || restore.linetype)
            restores.push_back(std::move(restore));
    }
    return restores;
}

std::optional<QString> LayerChangeStep::currentLayerToRestore() const
{
    if (m_currentLayer && !sameName(m_currentLayer->first, m_currentLayer->second))
        return m_currentLayer->first;
    return std::nullopt;
}

bool LayerChangeStep::changesNothing() const
{
    return layerRestores().empty() && !currentLayerToRestore();
}

} // namespace undo
