#pragma once

// The draw order a drawing stores: a SORTENTSTABLE object of a block record
// (model space, or a block) gives some of its entities a sort handle, and
// the CAD draws the block's entities by sort handle (an entity not listed
// sorts by its own handle), so that what the user brought to the front is
// drawn last.

#include "cad/Entity.h"
#include "DxfTokenizer.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace cad::dxf {

struct SortTable {
    std::string blockRecordHandle; ///< upper case, as the file spells it
    std::unordered_map<std::uint64_t, std::uint64_t> sortHandleOf; ///< entity handle -> sort handle
};

/// Reads a SORTENTSTABLE object's groups.
SortTable readSortTable(const std::vector<Group>& groups);

/// The order to draw `entities` in under `table` (indices into them), or
/// empty when the table changes nothing.
std::vector<std::uint32_t> sortedDrawOrder(const std::vector<Entity>& entities, const SortTable& table);

} // namespace cad::dxf
