#pragma once

// Small helpers the entity readers share for turning group values into the
// model's numbers.

#include "DxfTokenizer.h"

#include <QPointF>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <numbers>
#include <string_view>

namespace cad::dxf {

inline constexpr double kPi = std::numbers::pi;

inline void setX(QPointF& p, const Group& g) { p.setX(g.toDouble()); }
inline void setY(QPointF& p, const Group& g) { p.setY(g.toDouble()); }

inline int clampInt(std::int64_t v, int lo, int hi)
{
    return int(std::max<std::int64_t>(lo, std::min<std::int64_t>(hi, v)));
}

/// A name value without the blanks some writers pad it with.
inline std::string_view trimmedName(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

/// The handle a group 5, 330 or 331 value spells (hexadecimal); 0 when unreadable.
inline std::uint64_t handleValue(std::string_view hex)
{
    hex = trimmedName(hex);
    while (!hex.empty() && (hex.front() == ' ' || hex.front() == '\t'))
        hex.remove_prefix(1);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
    return error == std::errc() && end == hex.data() + hex.size() ? value : 0;
}

} // namespace cad::dxf
