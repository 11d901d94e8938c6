#include "DxfDrawOrder.h"

#include "DxfGroupValues.h"

#include <algorithm>
#include <cctype>
#include <numeric>

namespace cad::dxf {

SortTable readSortTable(const std::vector<Group>& groups)
{
    SortTable table;
    bool inTable = false;
    std::uint64_t entity = 0;
    for (const Group& g : groups) {
        if (g.code == 100) {
            inTable = trimmedName(g.value) == "AcDbSortentsTable";
        } else if (!inTable) {
            continue;
        } else if (g.code == 330) {
            for (char c : trimmedName(g.value))
                table.blockRecordHandle += char(std::toupper(static_cast<unsigned char>(c)));
        } else if (g.code == 331) {
            entity = handleValue(g.value);
        } else if (g.code == 5 && entity != 0) {
            table.sortHandleOf[entity] = handleValue(g.value);
            entity = 0;
        }
    }
    return table;
}

std::vector<std::uint32_t> sortedDrawOrder(const std::vector<Entity>& entities, const SortTable& table)
{
    if (table.sortHandleOf.empty() || entities.size() > UINT32_MAX)
        return {};
    std::vector<std::uint64_t> keys(entities.size());
    std::uint64_t previous = 0;
    bool moved = false;
    for (size_t i = 0; i < entities.size(); ++i) {
        // An entity without a handle stays behind the one before it.
        std::uint64_t key = entities[i].handle != 0 ? entities[i].handle : previous;
        if (const auto it = table.sortHandleOf.find(entities[i].handle);
            entities[i].handle != 0 && it != table.sortHandleOf.end()) {
            moved |= it->second != key;
            key = it->second;
        }
        keys[i] = previous = key;
    }
    if (!moved)
        return {};
    std::vector<std::uint32_t> order(entities.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; });
    return order;
}

} // namespace cad::dxf
