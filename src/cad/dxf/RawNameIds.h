#pragma once

// The name ids of raw name spellings (the bytes of a group 8 or 6 value), as
// the reader looks them up once or twice an entity: an open-addressing table
// of hashes over one string that holds every spelling back to back, so a
// lookup costs a hash of the name and usually one comparison, with no node
// to chase and no division.

#include "cad/Entity.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cad::dxf {

class RawNameIds {
public:
    std::optional<NameId> find(std::string_view raw) const;
    /// Adds a spelling that find() does not know.
    void insert(std::string_view raw, NameId id);

private:
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t offset = 0;
        std::size_t length = 0;
        NameId id = kNoName; ///< kNoName: an empty slot
    };
    static std::uint64_t hashOf(std::string_view s);
    std::size_t slotOf(std::string_view raw, std::uint64_t hash) const;
    void grow();

    std::vector<Slot> m_slots = std::vector<Slot>(64);
    std::string m_spellings;
    std::size_t m_used = 0;
};

} // namespace cad::dxf
