#include "metafile/WmfObjectTable.h"

#include <algorithm>

namespace metafile {

namespace {
constexpr std::size_t maximumObjects = 65535;
}

WmfObjectTable::WmfObjectTable(std::size_t count)
{
    m_objects.resize(std::min<std::size_t>(count, maximumObjects));
}

WmfObject* WmfObjectTable::create(WmfObject::Kind kind)
{
    // A new object takes the lowest free slot of the table. The caller fills
    // in the fields of its kind in place: a whole drawing makes a pen for
    // nearly every line, and a whole object made and moved in cost as much as
    // the pen. Fields of other kinds left in a reused slot are never read.
    std::size_t slot = m_firstFree;
    while (slot < m_objects.size() && m_objects[slot].kind != WmfObject::Empty)
        ++slot;
    if (slot == m_objects.size()) {
        if (m_objects.size() >= maximumObjects) {
            m_firstFree = m_objects.size();
            return nullptr;
        }
        m_objects.emplace_back();
    }
    m_firstFree = slot + 1;
    m_objects[slot].kind = kind;
    return &m_objects[slot];
}

void WmfObjectTable::remove(std::uint16_t index)
{
    // A device context keeps its own copy of a selected object, as GDI keeps
    // a selected object alive, so deleting only frees the slot; what it held
    // goes when the slot is taken again.
    if (index < m_objects.size() && m_objects[index].kind != WmfObject::Empty) {
        m_objects[index].kind = WmfObject::Empty;
        m_firstFree = std::min<std::size_t>(m_firstFree, index);
    }
}

} // namespace metafile
