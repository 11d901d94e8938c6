#include "Drawing.h"

namespace cad {

NameId NamePool::intern(const QString& name)
{
    auto it = m_ids.constFind(name);
    if (it != m_ids.constEnd())
        return it.value();
    const auto id = NameId(m_names.size());
    m_names.push_back(name);
    m_ids.insert(name, id);
    return id;
}

const QString& NamePool::name(NameId id) const
{
    static const QString none;
    return id < m_names.size() ? m_names[id] : none;
}

std::optional<NameId> NamePool::find(const QString& name) const
{
    auto it = m_ids.constFind(name);
    if (it == m_ids.constEnd())
        return std::nullopt;
    return it.value();
}

int Drawing::findLayer(const QString& name) const
{
    if (!m_layerIndexValid || m_layerIndexSize != layers.size()) {
        m_layerByFolded.clear();
        m_layerByFolded.reserve(qsizetype(layers.size()));
        // The first of two spellings that fold alike wins, as a search in
        // table order finds it.
        for (std::size_t i = layers.size(); i-- > 0;)
            m_layerByFolded.insert(layers[i].name.toCaseFolded(), int(i));
        m_layerIndexSize = layers.size();
        m_layerIndexValid = true;
        ++m_layerIndexBuilds;
    }
    return m_layerByFolded.value(name.toCaseFolded(), -1);
}

int Drawing::findLinetype(const QString& name) const
{
    for (std::size_t i = 0; i < linetypes.size(); ++i)
        if (linetypes[i].compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

const BlockDefinition* Drawing::block(NameId id) const
{
    auto it = m_blockIndex.constFind(id);
    return it == m_blockIndex.constEnd() ? nullptr : &blocks[std::size_t(it.value())];
}

const MLineStyle* Drawing::mlineStyle(NameId id) const
{
    if (id >= names.size())
        return nullptr;
    const QString& wanted = names.name(id);
    for (const MLineStyle& style : mlineStyles)
        if (style.name.compare(wanted, Qt::CaseInsensitive) == 0)
            return &style;
    return nullptr;
}

void Drawing::countHandedOn(NameId layer)
{
    if (layer == kNoName)
        return; // as a kept entity without a layer name counts nowhere
    if (layer >= m_handedOn.size())
        m_handedOn.resize(std::size_t(layer) + 1, 0);
    ++m_handedOn[layer];
}

void Drawing::rebuildIndex()
{
    m_layerIndexValid = false;
    m_counts.assign(names.size(), 0);
    for (const Entity& e : entities)
        if (e.layer < m_counts.size())
            ++m_counts[e.layer];
    for (NameId k = 0; k < m_handedOn.size() && k < m_counts.size(); ++k)
        m_counts[k] += m_handedOn[k];
    m_blockIndex.clear();
    // Block names are case-insensitive in AutoCAD; an INSERT may spell its
    // block differently from the definition, so index every spelling in use.
    QHash<QString, int> byFolded;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        byFolded.insert(blocks[i].name.toCaseFolded(), int(i));
        m_blockIndex.insert(names.intern(blocks[i].name), int(i));
    }
    for (NameId id = 0; id < names.size(); ++id) {
        if (m_blockIndex.contains(id))
            continue;
        auto it = byFolded.constFind(names.name(id).toCaseFolded());
        if (it != byFolded.constEnd())
            m_blockIndex.insert(id, it.value());
    }
    m_counts.resize(names.size(), 0);
}

} // namespace cad
