#pragma once

// Small helpers the entity readers share for turning group values into the
// model's numbers.

#include "DxfTokenizer.h"

#include <QPointF>

#include <algorithm>
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

} // namespace cad::dxf
