#include "RawNameIds.h"

namespace cad::dxf {

std::uint64_t RawNameIds::hashOf(std::string_view s)
{
    // FNV-1a: names are short, and one multiply a byte is all it takes.
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : s)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h;
}

std::size_t RawNameIds::slotOf(std::string_view raw, std::uint64_t hash) const
{
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = std::size_t(hash) & mask;; i = (i + 1) & mask) {
        const Slot& s = m_slots[i];
        if (s.id == kNoName
            || (s.hash == hash && std::string_view(m_spellings).substr(s.offset, s.length) == raw))
            return i;
    }
}

std::optional<NameId> RawNameIds::find(std::string_view raw) const
{
    const Slot& s = m_slots[slotOf(raw, hashOf(raw))];
    if (s.id == kNoName)
        return std::nullopt;
    return s.id;
}

void RawNameIds::insert(std::string_view raw, NameId id)
{
    // At most half full, so that a probe ends soon at an empty slot.
    if (2 * (m_used + 1) > m_slots.size())
        grow();
    const std::uint64_t hash = hashOf(raw);
    Slot& s = m_slots[slotOf(raw, hash)];
    if (s.id != kNoName)
        return;
    s = Slot{hash, m_spellings.size(), raw.size(), id};
    m_spellings.append(raw);
    ++m_used;
}

void RawNameIds::grow()
{
    std::vector<Slot> old(m_slots.size() * 2);
    old.swap(m_slots);
    const std::size_t mask = m_slots.size() - 1;
    for (const Slot& s : old) {
        if (s.id == kNoName)
            continue;
        std::size_t i = std::size_t(s.hash) & mask;
        while (m_slots[i].id != kNoName)
            i = (i + 1) & mask;
        m_slots[i] = s;
    }
}

} // namespace cad::dxf
