#include "Extents.h"

#include "SplineInterpolation.h"
#include "text/MTextParser.h"
#include "text/TextLayout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <numbers>

namespace cad {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kMaxBlockDepth = 16;
constexpr std::size_t kMaxKeptMTextBoxes = 4096;

bool usable(const QPointF& p)
{
    return std::abs(p.x()) <= kFarthestCoordinate && std::abs(p.y()) <= kFarthestCoordinate; // false for NaN too
}

} // namespace

/// Where measured points go: a box (extents), or the points of a block being
/// measured for its hull. A block's hull must hold under any later rotation,
/// so its arcs are sampled along their length, not only at the axis extremes.
struct PointSink {
    Bounds* box = nullptr;
    std::vector<QPointF>* points = nullptr;
    void add(const QPointF& p)
    {
        if (box)
            box->add(p);
        else if (usable(p))
            points->push_back(p);
    }
    bool sampleArcs() const { return points != nullptr; }
};

namespace {

/// True for a transform under which a curve's axis extremes stay its axis
/// extremes (a move and scaling along the axes), so that an arc's box comes
/// from its end points and the quadrant points it passes, in closed form.
bool keepsAxes(const QTransform& t)
{
    return t.type() <= QTransform::TxScale;
}

/// The four points of a circle that lie furthest along the axes, at 0, 90,
/// 180 and 270 degrees.
std::array<QPointF, 4> quadrantPoints(QPointF c, double r)
{
    return {c + QPointF(r, 0), c + QPointF(0, r), c - QPointF(r, 0), c - QPointF(0, r)};
}

/// A number that grows with the direction's angle from the x axis, 0 to 4
/// for a full turn and exactly 0, 1, 2, 3 on the axes: it orders directions
/// as their angles do, without trigonometry.
double turnOf(QPointF d)
{
    const double x = d.x(), y = d.y();
    if (y >= 0)
        return x >= 0 ? (x + y > 0 ? y / (x + y) : 0) : 1 - x / (y - x);
    return x < 0 ? 2 - y / (-x - y) : 3 + x / (x - y);
}

/// Adds the quadrant points strictly inside the counter-clockwise turn from
/// direction `from` to direction `to` (both seen from the centre c).
void addQuadrantsBetween(PointSink& b, const QTransform& t, QPointF c, double r, QPointF from, QPointF to)
{
    const double first = turnOf(from);
    double sweep = turnOf(to) - first;
    if (sweep <= 0)
        sweep += 4;
    const auto quadrants = quadrantPoints(c, r);
    for (int q = 0; q < 4; ++q) {
        double past = q - first;
        if (past <= 0)
            past += 4;
        if (past < sweep)
            b.add(t.map(quadrants[size_t(q)]));
    }
}

/// Adds an arc (angles in degrees, counter-clockwise from a0 to a1) by its
/// end points and the axis extremes it passes.
void addArc(PointSink& b, const QTransform& t, QPointF c, double r, double a0, double a1)
{
    auto at = [&](double deg) {
        const double rad = deg * kPi / 180;
        return c + QPointF(std::cos(rad), std::sin(rad)) * r;
    };
    double start = std::fmod(a0, 360.0);
    if (start < 0) start += 360;
    double sweep = std::fmod(a1 - a0, 360.0);
    if (sweep <= 0) sweep += 360;
    if (keepsAxes(t) && !b.sampleArcs()) {
        if (sweep >= 360) {
            for (const QPointF& p : quadrantPoints(c, r))
                b.add(t.map(p));
            return;
        }
        const QPointF first = at(start), last = at(start + sweep);
        b.add(t.map(first));
        b.add(t.map(last));
        addQuadrantsBetween(b, t, c, r, first - c, last - c);
        return;
    }
    b.add(t.map(at(start)));
    b.add(t.map(at(start + sweep)));
    // Under a rotating or shearing transform the extremes move, and a
    // block's hull must hold under any later one: sample the arc finely
    // enough instead of only the quadrant points.
    for (int q = 0; q < 8; ++q) {
        const double angle = q * 90.0;
        if (angle > start && angle < start + sweep)
            b.add(t.map(at(angle)));
    }
    const int steps = 32;
    for (int i = 1; i < steps; ++i)
        b.add(t.map(at(start + sweep * i / steps)));
}

/// Adds the arc a bulge makes between p0 and p1 (their own points are added
/// by the caller).
void addBulge(PointSink& b, const QTransform& t, QPointF p0, QPointF p1, double bulge)
{
    const QPointF d = p1 - p0;
    const double chord = std::hypot(d.x(), d.y());
    if (chord == 0)
        return;
    const QPointF mid = (p0 + p1) / 2;
    const QPointF normal(-d.y() / chord, d.x() / chord);
    if (keepsAxes(t) && !b.sampleArcs()) {
        // The bulge is tan(θ/4) of the included angle θ, so sin(θ/2) and
        // cos(θ/2) are rational in it: the centre lies chord·(1 - b²)/(4b)
        // from the chord's middle, at radius chord·(1 + b²)/(4|b|).
        const double h = chord * (1 - bulge * bulge) / (4 * bulge);
        const double r = std::abs(chord * (1 + bulge * bulge) / (4 * bulge));
        const QPointF c = mid + normal * h;
        // A negative bulge runs clockwise: counter-clockwise from p1 to p0.
        if (bulge > 0)
            addQuadrantsBetween(b, t, c, r, p0 - c, p1 - c);
        else
            addQuadrantsBetween(b, t, c, r, p1 - c, p0 - c);
        return;
    }
    // The arc through p0 and p1 with included angle 4·atan(bulge).
    const double theta = 4 * std::atan(bulge);
    const double r = chord / (2 * std::sin(theta / 2));
    const double h = r * std::cos(theta / 2);
    const QPointF c = mid + normal * h;
    double a0 = std::atan2(p0.y() - c.y(), p0.x() - c.x()) * 180 / kPi;
    double a1 = std::atan2(p1.y() - c.y(), p1.x() - c.x()) * 180 / kPi;
    if (bulge < 0) std::swap(a0, a1);
    addArc(b, t, c, std::abs(r), a0, a1);
}

void addPolyline(PointSink& b, const QTransform& t, const std::vector<PolyVertex>& vs, bool closed)
{
    const size_t n = vs.size();
    for (size_t i = 0; i < n; ++i) {
        b.add(t.map(vs[i].pos));
        const double bulge = vs[i].bulge;
        if (bulge == 0 || !std::isfinite(bulge) || (!closed && i + 1 == n))
            continue;
        addBulge(b, t, vs[i].pos, vs[(i + 1) % n].pos, bulge);
    }
}

/// Adds an elliptical arc: in closed form (its end points and the points
/// where it turns along an axis) where the transform keeps the axes, else by
/// samples along it.
void addEllipse(PointSink& b, const QTransform& t, const EllipseGeom& g)
{
    const QPointF minor(-g.majorAxis.y() * g.ratio, g.majorAxis.x() * g.ratio);
    auto at = [&](double p) { return g.center + g.majorAxis * std::cos(p) + minor * std::sin(p); };
    const double t0 = g.startParam;
    // Counter-clockwise from start to end; equal parameters make a full turn.
    double sweep = g.endParam - t0;
    if (!(sweep > 0)) {
        sweep = std::fmod(sweep, 2 * kPi);
        if (sweep <= 0)
            sweep += 2 * kPi;
    }
    if (!keepsAxes(t) || b.sampleArcs()) {
        const int steps = 64;
        for (int i = 0; i <= steps; ++i)
            b.add(t.map(at(t0 + sweep * i / steps)));
        return;
    }
    const bool whole = sweep >= 2 * kPi;
    if (!whole) {
        b.add(t.map(at(t0)));
        b.add(t.map(at(t0 + sweep)));
    }
    // x(p) = cx + Mx·cos p + Nx·sin p is furthest out where (cos p, sin p)
    // points along (Mx, Nx), and on the other side opposite; likewise y.
    const QPointF axes[] = {{g.majorAxis.x(), minor.x()}, {g.majorAxis.y(), minor.y()}};
    for (const QPointF& along : axes) {
        const double length = std::hypot(along.x(), along.y());
        if (!(length > 0) || !std::isfinite(length))
            continue;
        const QPointF turn = along / length; // (cos p, sin p) of the extreme
        for (const double side : {1.0, -1.0}) {
            const QPointF extreme = g.center + (g.majorAxis * turn.x() + minor * turn.y()) * side;
            if (!whole) {
                double past = std::fmod(std::atan2(side * turn.y(), side * turn.x()) - t0, 2 * kPi);
                if (past < 0)
                    past += 2 * kPi;
                if (!(past > 0 && past < sweep))
                    continue;
            }
            b.add(t.map(extreme));
        }
    }
}

// Text boxes are estimates from a monospaced model of a CAD font: each
// character as wide as the text height (times the width factor), capitals
// the height tall, descenders a third of it below the baseline.
constexpr double kDescent = 1.0 / 3.0;

void addText(PointSink& b, const QTransform& t, const TextGeom& g)
{
    const double h = std::abs(g.height) > 0 ? std::abs(g.height) : 1;
    const double wf = g.widthFactor > 0 ? g.widthFactor : 1;
    double w = text::decodeTextCodes(g.text).text.size() * h * wf;
    if (w == 0)
        return;
    QPointF anchor = (g.hAlign == 0 && g.vAlign == 0) ? g.insert : g.alignPoint;
    double rotation = g.rotation;
    double x0 = 0;
    if (g.hAlign == 3 || g.hAlign == 5) {
        // Aligned and fit texts run from the insertion point to the second point.
        const QPointF d = g.alignPoint - g.insert;
        if (d.x() != 0 || d.y() != 0) {
            w = std::hypot(d.x(), d.y());
            rotation = std::atan2(d.y(), d.x()) * 180 / kPi;
        }
        anchor = g.insert;
    } else if (g.hAlign == 1 || g.hAlign == 4) {
        x0 = -w / 2;
    } else if (g.hAlign == 2) {
        x0 = -w;
    }
    double y0 = -kDescent * h; // baseline
    if (g.hAlign == 4 || g.vAlign == 2) y0 = -(1 + kDescent) * h / 2;
    else if (g.vAlign == 1) y0 = 0;
    else if (g.vAlign == 3) y0 = -(1 + kDescent) * h;
    QTransform local;
    local.translate(anchor.x(), anchor.y());
    local.rotate(rotation);
    const QTransform m = local * t;
    b.add(m.map(QPointF(x0, y0)));
    b.add(m.map(QPointF(x0 + w, y0 + (1 + kDescent) * h)));
    b.add(m.map(QPointF(x0, y0 + (1 + kDescent) * h)));
    b.add(m.map(QPointF(x0 + w, y0)));
}

/// The convex hull of `points` (Andrew's monotone chain), counter-clockwise.
std::vector<QPointF> convexHull(std::vector<QPointF> points)
{
    std::sort(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3)
        return points;
    auto cross = [](const QPointF& o, const QPointF& a, const QPointF& b) {
        return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
    };
    std::vector<QPointF> hull(2 * points.size());
    size_t k = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return hull;
}

} // namespace

void Bounds::add(const QPointF& p)
{
    if (!usable(p))
        return;
    if (m_empty) {
        m_x0 = m_x1 = p.x();
        m_y0 = m_y1 = p.y();
        m_empty = false;
        return;
    }
    m_x0 = std::min(m_x0, p.x());
    m_x1 = std::max(m_x1, p.x());
    m_y0 = std::min(m_y0, p.y());
    m_y1 = std::max(m_y1, p.y());
}

void Bounds::add(const Bounds& other)
{
    if (other.m_empty)
        return;
    add(QPointF(other.m_x0, other.m_y0));
    add(QPointF(other.m_x1, other.m_y1));
}

QRectF Bounds::rect() const
{
    if (m_empty)
        return {};
    return QRectF(QPointF(m_x0, m_y0), QPointF(m_x1, m_y1));
}

QTransform insertTransform(const InsertGeom& in, const QPointF& base, int column, int row)
{
    QTransform m;
    m.translate(in.insert.x(), in.insert.y());
    m.rotate(in.rotation);
    m.translate(column * in.columnSpacing, row * in.rowSpacing);
    m.scale(in.scaleX, in.scaleY);
    m.translate(-base.x(), -base.y());
    return m;
}

void ExtentsMeter::addTo(PointSink& b, const Entity& e, const QTransform& t, int depth)
{
    std::visit([&](const auto& g) {
        using G = std::decay_t<decltype(g)>;
        if constexpr (std::is_same_v<G, LineGeom>) {
            b.add(t.map(g.start));
            b.add(t.map(g.end));
        } else if constexpr (std::is_same_v<G, PolylineGeom>) {
            addPolyline(b, t, g.vertices, g.closed);
        } else if constexpr (std::is_same_v<G, CircleGeom>) {
            addArc(b, t, g.center, g.radius, 0, 360);
        } else if constexpr (std::is_same_v<G, ArcGeom>) {
            addArc(b, t, g.center, g.radius, g.startAngle, g.endAngle);
        } else if constexpr (std::is_same_v<G, EllipseGeom>) {
            addEllipse(b, t, g);
        } else if constexpr (std::is_same_v<G, SplineGeom>) {
            // The curve lies inside the hull of its control points.
            for (const auto& p : g.controlPoints) b.add(t.map(p));
            if (g.controlPoints.empty()) {
                // The curve through the fit points may swing past them.
                const std::optional<SplineGeom> fitted = splineThroughFitPoints(g);
                for (const auto& p : fitted ? fitted->controlPoints : g.fitPoints) b.add(t.map(p));
            }
        } else if constexpr (std::is_same_v<G, PointGeom>) {
            b.add(t.map(g.pos));
        } else if constexpr (std::is_same_v<G, QuadGeom>) {
            for (const auto& p : g.corners) b.add(t.map(p));
        } else if constexpr (std::is_same_v<G, HatchGeom>) {
            for (const auto& loop : g.loops) addPolyline(b, t, loop.vertices, true);
        } else if constexpr (std::is_same_v<G, TextGeom>) {
            addText(b, t, g);
        } else if constexpr (std::is_same_v<G, MTextGeom>) {
            addMText(b, t, g);
        } else if constexpr (std::is_same_v<G, InsertGeom>) {
            if (const BlockDefinition* block = m_drawing.block(g.block)) {
                const std::vector<QPointF>& hull = blockHull(*block, depth + 1);
                // Each corner cell of the array through its own transform
                // (exact under rotation and unequal scales); the array is
                // affine in column and row, so its corner cells bound it.
                const int cs[] = {0, g.columns - 1}, rs[] = {0, g.rows - 1};
                for (int ci = 0; ci < (g.columns > 1 ? 2 : 1); ++ci)
                    for (int ri = 0; ri < (g.rows > 1 ? 2 : 1); ++ri) {
                        const QTransform m = insertTransform(g, block->basePoint, cs[ci], rs[ri]) * t;
                        for (const QPointF& p : hull)
                            b.add(m.map(p));
                    }
            }
            if (e.attributes)
                for (const Entity& a : *e.attributes)
                    addTo(b, a, t, depth + 1);
        } else if constexpr (std::is_same_v<G, DimensionGeom>) {
            const BlockDefinition* block = m_drawing.block(g.block);
            const std::vector<QPointF>* hull = block ? &blockHull(*block, depth + 1) : nullptr;
            if (hull && !hull->empty()) {
                for (const QPointF& p : *hull)
                    b.add(t.map(p));
            } else {
                b.add(t.map(g.definitionPoint));
                b.add(t.map(g.textMidPoint));
            }
        } else if constexpr (std::is_same_v<G, LeaderGeom>) {
            for (const auto& p : g.vertices) b.add(t.map(p));
        } else if constexpr (std::is_same_v<G, MeshGeom>) {
            for (const auto& p : g.vertices) b.add(t.map(p));
        } else if constexpr (std::is_same_v<G, MLineGeom>) {
            for (const auto& element : g.elements)
                for (const auto& p : element) b.add(t.map(p));
        } else if constexpr (std::is_same_v<G, MultiLeaderGeom>) {
            if (g.content) {
                for (const auto& line : g.content->leaders)
                    for (const auto& p : line) b.add(t.map(p));
                if (g.content->hasText)
                    addMText(b, t, g.content->text);
            }
        } else if constexpr (std::is_same_v<G, ImageFrameGeom>) {
            for (const auto& p : g.outline) b.add(t.map(p));
        } else if constexpr (std::is_same_v<G, ProxyGeom>) {
            if (g.primitives)
                for (const ProxyPrimitive& p : *g.primitives) {
                    if (p.kind == ProxyPrimitive::Kind::Circle)
                        addArc(b, t, p.arc.center, p.arc.radius, 0, 360);
                    else if (p.kind == ProxyPrimitive::Kind::Arc)
                        addArc(b, t, p.arc.center, p.arc.radius, p.arc.startAngle, p.arc.endAngle);
                    else if (p.kind == ProxyPrimitive::Kind::Text)
                        addText(b, t, p.text);
                    else
                        addPolyline(b, t, p.vertices, p.closed);
                }
        } else if constexpr (std::is_same_v<G, ViewportGeom>) {
            b.add(t.map(g.center - QPointF(g.width / 2, g.height / 2)));
            b.add(t.map(g.center + QPointF(g.width / 2, g.height / 2)));
        }
    }, e.geometry);
}

std::size_t ExtentsMeter::MTextKeyHash::operator()(const MTextKey& k) const
{
    std::size_t h = qHash(k.text);
    for (const std::uint64_t v : {k.height, k.width, k.lineSpacing, std::uint64_t(k.attachment)})
        h = (h ^ std::hash<std::uint64_t>()(v)) * 0x9E3779B97F4A7C15ull;
    return h;
}

void ExtentsMeter::addMText(PointSink& b, const QTransform& t, const MTextGeom& g)
{
    // The box the picture lays the text out in (wrapped, stacked, spaced),
    // with room below the last baseline for descenders.
    const double h = std::abs(g.height) > 0 ? std::abs(g.height) : 1;
    MTextKey key{g.text, std::bit_cast<std::uint64_t>(h), std::bit_cast<std::uint64_t>(g.width),
                 std::bit_cast<std::uint64_t>(g.lineSpacing), g.attachment};
    auto it = m_mtextBoxes.find(key);
    if (it == m_mtextBoxes.end()) {
        const text::MTextLayout layout =
            text::layoutMText(text::parseMText(g.text, h), h, g.width, g.lineSpacing, g.attachment);
        const MTextBox box{layout.left, layout.top, layout.width, layout.height};
        // A drawing of ever new texts keeps a bounded table.
        if (m_mtextBoxes.size() >= kMaxKeptMTextBoxes)
            m_mtextBoxes.clear();
        it = m_mtextBoxes.emplace(std::move(key), box).first;
    }
    const auto [left, top, width, height] = it->second;
    const double x0 = left, x1 = left + width;
    const double bottom = top - height - kDescent * h;
    const QTransform m = text::mtextFrame(g) * t;
    b.add(m.map(QPointF(x0, top)));
    b.add(m.map(QPointF(x1, bottom)));
    b.add(m.map(QPointF(x1, top)));
    b.add(m.map(QPointF(x0, bottom)));
}

const std::vector<QPointF>& ExtentsMeter::blockHull(const BlockDefinition& block, int depth)
{
    static const std::vector<QPointF> nothing;
    if (auto it = m_hulls.find(&block); it != m_hulls.end())
        return it->second;
    if (depth > kMaxBlockDepth || m_measuring.count(&block))
        return nothing; // too deep, or the block inserts itself
    m_measuring.insert(&block);
    std::vector<QPointF> points;
    PointSink sink{nullptr, &points};
    for (const Entity& child : block.entities)
        addTo(sink, child, QTransform(), depth);
    m_measuring.erase(&block);
    return m_hulls[&block] = convexHull(std::move(points));
}

void ExtentsMeter::addEntity(const Entity& entity, const QTransform& transform, Bounds& bounds)
{
    PointSink sink{&bounds, nullptr};
    addTo(sink, entity, transform, 0);
}

Bounds ExtentsMeter::blockBox(const BlockDefinition& block)
{
    Bounds box;
    for (const QPointF& p : blockHull(block, 1))
        box.add(p);
    return box;
}

std::vector<QPointF> insertOutline(const InsertGeom& in, const QPointF& base, const Bounds& blockBox)
{
    if (blockBox.isEmpty())
        return {};
    // In the insert's unrotated frame the cells span the block's scaled box
    // plus the array's offsets; the box then turns with the insert.
    const QRectF r = blockBox.rect();
    const double xa = (r.left() - base.x()) * in.scaleX, xb = (r.right() - base.x()) * in.scaleX;
    const double ya = (r.top() - base.y()) * in.scaleY, yb = (r.bottom() - base.y()) * in.scaleY;
    const double spanX = (std::max<int>(1, in.columns) - 1) * in.columnSpacing;
    const double spanY = (std::max<int>(1, in.rows) - 1) * in.rowSpacing;
    const double x0 = std::min(xa, xb) + std::min(0.0, spanX), x1 = std::max(xa, xb) + std::max(0.0, spanX);
    const double y0 = std::min(ya, yb) + std::min(0.0, spanY), y1 = std::max(ya, yb) + std::max(0.0, spanY);
    QTransform m;
    m.translate(in.insert.x(), in.insert.y());
    m.rotate(in.rotation);
    return {m.map(QPointF(x0, y0)), m.map(QPointF(x1, y0)), m.map(QPointF(x1, y1)), m.map(QPointF(x0, y1))};
}

std::optional<QRectF> modelExtents(const Drawing& drawing)
{
    ExtentsMeter meter(drawing);
    Bounds b;
    for (const Entity& e : drawing.entities)
        if (e.layout == kModelSpace)
            meter.addEntity(e, QTransform(), b);
    if (b.isEmpty())
        return std::nullopt;
    return b.rect();
}

void StreamedModelExtents::take(Entity&& entity)
{
    if (entity.layout != kModelSpace)
        return;
    if (std::holds_alternative<InsertGeom>(entity.geometry) || std::holds_alternative<DimensionGeom>(entity.geometry))
        m_waitingForBlocks.push_back(std::move(entity));
    else
        m_meter.addEntity(entity, QTransform(), m_bounds);
}

std::optional<QRectF> StreamedModelExtents::finish(const Drawing& drawing)
{
    ExtentsMeter meter(drawing);
    for (const Entity& e : m_waitingForBlocks)
        meter.addEntity(e, QTransform(), m_bounds);
    m_waitingForBlocks.clear();
    if (m_bounds.isEmpty())
        return std::nullopt;
    return m_bounds.rect();
}

} // namespace cad
