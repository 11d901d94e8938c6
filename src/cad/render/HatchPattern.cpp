#include "cad/render/HatchPattern.h"

#include <algorithm>
#include <cmath>

namespace cad::render {

namespace {

constexpr std::int32_t externalLoop = 1;
constexpr std::int32_t outermostLoop = 16;

double dot(QPointF a, QPointF b)
{
    return a.x() * b.x() + a.y() * b.y();
}

/// Odd-parity point in polygon.
bool contains(const std::vector<QPointF>& loop, QPointF p)
{
    bool inside = false;
    for (std::size_t i = 0, j = loop.size() - 1; i < loop.size(); j = i++) {
        const QPointF a = loop[i], b = loop[j];
        if ((a.y() > p.y()) != (b.y() > p.y())
            && p.x() < (b.x() - a.x()) * (p.y() - a.y()) / (b.y() - a.y()) + a.x())
            inside = !inside;
    }
    return inside;
}

} // namespace

std::vector<std::vector<QPointF>> loopsForStyle(const std::vector<std::vector<QPointF>>& loops,
                                                const std::vector<std::int32_t>& flags, int style)
{
    if (style != 1 && style != 2)
        return loops;
    const std::int32_t wanted = style == 1 ? (externalLoop | outermostLoop) : externalLoop;
    std::vector<std::vector<QPointF>> chosen;
    for (std::size_t i = 0; i < loops.size() && i < flags.size(); ++i)
        if (flags[i] & wanted)
            chosen.push_back(loops[i]);
    if (!chosen.empty())
        return chosen;
    // No flags to go by: a loop's depth is the number of loops around it.
    const int deepest = style == 1 ? 1 : 0;
    for (std::size_t i = 0; i < loops.size(); ++i) {
        if (loops[i].empty())
            continue;
        int depth = 0;
        for (std::size_t j = 0; j < loops.size(); ++j)
            if (j != i && loops[j].size() >= 3 && contains(loops[j], loops[i].front()))
                ++depth;
        if (depth <= deepest)
            chosen.push_back(loops[i]);
    }
    return chosen;
}

PatternFill clipPatternLines(const std::vector<HatchPatternLine>& lines,
                             const std::vector<std::vector<QPointF>>& loops, std::size_t maximumPieces)
{
    PatternFill fill;
    std::size_t pieces = 0;
    for (const HatchPatternLine& line : lines) {
        const double radians = line.angleDegrees * M_PI / 180.0;
        const QPointF d(std::cos(radians), std::sin(radians));
        const QPointF n(-d.y(), d.x());
        QPointF offset = line.offset;
        double spacing = dot(offset, n);
        if (spacing < 0) { // the same lines, counted the other way
            offset = -offset;
            spacing = -spacing;
        }
        double lowest = INFINITY, highest = -INFINITY;
        for (const auto& loop : loops)
            for (const QPointF& p : loop) {
                const double s = dot(p - line.base, n);
                lowest = std::min(lowest, s);
                highest = std::max(highest, s);
            }
        if (!(lowest <= highest) || !std::isfinite(lowest) || !std::isfinite(highest))
            continue;
        // Lines that lie on top of each other are one line.
        const bool single = !(spacing > (highest - lowest) * 1e-9) || !std::isfinite(spacing);
        const double firstK = single ? 0 : std::ceil(lowest / spacing);
        const double lastK = single ? 0 : std::floor(highest / spacing);
        if (lastK < firstK)
            continue;
        if (lastK - firstK + 1 > double(maximumPieces)) {
            fill.tooDense = true;
            fill.stroke = {};
            return fill;
        }
        const std::size_t count = std::size_t(lastK - firstK) + 1;
        auto levelOf = [&](std::size_t k) { return single ? 0.0 : (firstK + double(k)) * spacing; };

        // Where each line crosses the boundary, as distances along it from
        // the base point; an edge counts for the lines in [low, high) of it.
        std::vector<std::vector<double>> crossings(count);
        for (const auto& loop : loops) {
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const QPointF p = loop[i], q = loop[(i + 1) % loop.size()];
                const double sp = dot(p - line.base, n), sq = dot(q - line.base, n);
                if (sp == sq)
                    continue;
                const double low = std::min(sp, sq), high = std::max(sp, sq);
                double kFrom = single ? 0 : std::max(std::ceil(low / spacing), firstK) - firstK;
                double kTo = single ? 0 : std::min(std::ceil(high / spacing) - 1, lastK) - firstK;
                if (single && !(low <= 0 && 0 < high))
                    continue;
                for (double k = kFrom; k <= kTo; ++k) {
                    const double level = levelOf(std::size_t(k));
                    if (level < low || level >= high)
                        continue;
                    const QPointF at = p + (q - p) * ((level - sp) / (sq - sp));
                    crossings[std::size_t(k)].push_back(dot(at - line.base, d));
                }
            }
        }
        const DashPattern pattern(line.dashes, 1.0);
        const double along = dot(offset, d);
        for (std::size_t k = 0; k < count; ++k) {
            auto& ts = crossings[k];
            if (ts.size() < 2)
                continue;
            std::sort(ts.begin(), ts.end());
            const double level = levelOf(k);
            const double index = single ? 0 : firstK + double(k);
            const QPointF foot = line.base + n * level;
            // Every line of the family starts its pattern at its own origin.
            const QPointF origin = foot + d * (index * along);
            for (std::size_t i = 0; i + 1 < ts.size(); i += 2) {
                const double length = ts[i + 1] - ts[i];
                pieces += pattern.isContinuous() ? 1
                                                 : std::size_t(length / pattern.period() + 1) * pattern.elements().size();
                if (pieces > maximumPieces) {
                    fill.tooDense = true;
                    fill.stroke = {};
                    return fill;
                }
                dashSegment(origin, foot + d * ts[i], foot + d * ts[i + 1], pattern, fill.stroke);
            }
        }
    }
    return fill;
}

} // namespace cad::render
