#include "cad/render/HatchPattern.h"

#include <algorithm>
#include <cmath>

#include <QRectF>

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

/// A bounding-box tree over the loops with three or more points (those that
/// can hold another), split at the median of the longer side.
class LoopBoxTree {
public:
    explicit LoopBoxTree(const std::vector<std::vector<QPointF>>& loops)
    {
        for (std::size_t i = 0; i < loops.size(); ++i) {
            if (loops[i].size() < 3)
                continue;
            const QRectF box = boxOf(loops[i]);
            // A loop with a point at no place holds nothing.
            if (std::isfinite(box.left()) && std::isfinite(box.right()) && std::isfinite(box.top())
                && std::isfinite(box.bottom()))
                m_items.push_back({box, i});
        }
        if (!m_items.empty())
            build(0, m_items.size());
    }

    /// How many loops other than `self` hold the first point of loop `self`,
    /// counting no further than `enough`; every box and polygon looked at
    /// adds one to `checks`.
    int loopsAround(const std::vector<std::vector<QPointF>>& loops, std::size_t self, int enough,
                    std::size_t& checks) const
    {
        if (m_nodes.empty())
            return 0;
        const QPointF p = loops[self].front();
        int depth = 0;
        std::vector<std::size_t> stack{0};
        while (!stack.empty() && depth < enough) {
            const Node& node = m_nodes[stack.back()];
            stack.pop_back();
            ++checks;
            if (!holds(node.box, p))
                continue;
            if (node.left == 0) {
                for (std::size_t k = node.first; k < node.last && depth < enough; ++k) {
                    const Item& item = m_items[k];
                    ++checks;
                    if (item.loop != self && holds(item.box, p) && contains(loops[item.loop], p))
                        ++depth;
                }
                continue;
            }
            stack.push_back(node.left);
            stack.push_back(node.right);
        }
        return depth;
    }

private:
    struct Item {
        QRectF box;
        std::size_t loop;
    };
    struct Node {
        QRectF box;
        std::size_t first = 0, last = 0; // items of this node
        std::size_t left = 0, right = 0; // children; 0 for a leaf
    };
    static constexpr std::size_t kLeafSize = 8;

    static QRectF boxOf(const std::vector<QPointF>& loop)
    {
        double x0 = loop[0].x(), x1 = x0, y0 = loop[0].y(), y1 = y0;
        for (const QPointF& q : loop) {
            x0 = std::min(x0, q.x());
            x1 = std::max(x1, q.x());
            y0 = std::min(y0, q.y());
            y1 = std::max(y1, q.y());
        }
        return QRectF(QPointF(x0, y0), QPointF(x1, y1));
    }
    // Closed on every side: a point on a box's edge may still lie in the loop.
    static bool holds(const QRectF& box, QPointF p)
    {
        return p.x() >= box.left() && p.x() <= box.right() && p.y() >= box.top() && p.y() <= box.bottom();
    }

    std::size_t build(std::size_t first, std::size_t last)
    {
        const std::size_t index = m_nodes.size();
        m_nodes.push_back({});
        // By hand: QRectF::united leaves out boxes of no area.
        double x0 = m_items[first].box.left(), x1 = m_items[first].box.right();
        double y0 = m_items[first].box.top(), y1 = m_items[first].box.bottom();
        for (std::size_t k = first + 1; k < last; ++k) {
            x0 = std::min(x0, m_items[k].box.left());
            x1 = std::max(x1, m_items[k].box.right());
            y0 = std::min(y0, m_items[k].box.top());
            y1 = std::max(y1, m_items[k].box.bottom());
        }
        const QRectF box(QPointF(x0, y0), QPointF(x1, y1));
        m_nodes[index].box = box;
        m_nodes[index].first = first;
        m_nodes[index].last = last;
        if (last - first <= kLeafSize)
            return index;
        const bool alongX = box.width() >= box.height();
        const std::size_t middle = first + (last - first) / 2;
        std::nth_element(m_items.begin() + std::ptrdiff_t(first), m_items.begin() + std::ptrdiff_t(middle),
                         m_items.begin() + std::ptrdiff_t(last), [alongX](const Item& a, const Item& b) {
                             return alongX ? a.box.center().x() < b.box.center().x()
                                           : a.box.center().y() < b.box.center().y();
                         });
        const std::size_t left = build(first, middle);
        const std::size_t right = build(middle, last);
        m_nodes[index].left = left;
        m_nodes[index].right = right;
        return index;
    }

    std::vector<Item> m_items;
    std::vector<Node> m_nodes;
};

} // namespace

std::vector<std::vector<QPointF>> loopsForStyle(const std::vector<std::vector<QPointF>>& loops,
                                                const std::vector<std::int32_t>& flags, int style,
                                                std::size_t* containmentChecks)
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
    // No flags to go by: a loop's depth is the number of loops around it,
    // counted only as far as the style needs, over a tree of the loops'
    // boxes so that a point meets only the loops whose box holds it.
    const int deepest = style == 1 ? 1 : 0;
    const LoopBoxTree tree(loops);
    std::size_t checks = 0;
    for (std::size_t i = 0; i < loops.size(); ++i) {
        if (loops[i].empty())
            continue;
        if (tree.loopsAround(loops, i, deepest + 1, checks) <= deepest)
            chosen.push_back(loops[i]);
    }
    if (containmentChecks)
        *containmentChecks = checks;
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
