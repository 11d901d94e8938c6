#include "cad/render/WidePolyline.h"

#include "cad/Curves.h"

#include <cmath>

namespace cad::render {

namespace {

/// A mitre longer than this many half widths is cut off (bevelled).
constexpr double mitreLimit = 4.0;

double cross(QPointF a, QPointF b)
{
    return a.x() * b.y() - a.y() * b.x();
}

QPointF unit(QPointF v)
{
    const double length = std::hypot(v.x(), v.y());
    return length > 0 ? v / length : QPointF();
}

QPointF leftOf(QPointF direction)
{
    return QPointF(-direction.y(), direction.x());
}

QPointF rotated(QPointF v, double radians)
{
    const double c = std::cos(radians), s = std::sin(radians);
    return QPointF(v.x() * c - v.y() * s, v.x() * s + v.y() * c);
}

struct Segment {
    QPointF from, to;
    double startWidth = 0, endWidth = 0;
    double bulge = 0;
    QPointF startTangent, endTangent; // unit directions
};

} // namespace

bool hasWidth(const PolylineGeom& p)
{
    if (p.constantWidth > 0)
        return true;
    for (const PolyVertex& v : p.vertices)
        if (v.startWidth > 0 || v.endWidth > 0)
            return true;
    return false;
}

WidePolylineShapes widePolylineShapes(const PolylineGeom& p, double tolerance)
{
    WidePolylineShapes out;
    const auto& vs = p.vertices;
    if (vs.size() < 2)
        return out;
    const std::size_t count = p.closed ? vs.size() : vs.size() - 1;
    std::vector<Segment> segments;
    segments.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const PolyVertex& v = vs[i];
        Segment s;
        s.from = v.pos;
        s.to = vs[(i + 1) % vs.size()].pos;
        s.startWidth = p.constantWidth > 0 ? p.constantWidth : std::max(0.0, v.startWidth);
        s.endWidth = p.constantWidth > 0 ? p.constantWidth : std::max(0.0, v.endWidth);
        if (!std::isfinite(s.startWidth) || !std::isfinite(s.endWidth))
            s.startWidth = s.endWidth = 0;
        s.bulge = v.bulge;
        const QPointF chord = unit(s.to - s.from);
        const double theta = std::isfinite(v.bulge) ? 4 * std::atan(v.bulge) : 0;
        s.startTangent = rotated(chord, -theta / 2);
        s.endTangent = rotated(chord, theta / 2);
        if (s.from == s.to)
            continue; // no direction: nothing to draw, nothing to join
        segments.push_back(s);
    }

    for (const Segment& s : segments) {
        if (s.startWidth <= 0 && s.endWidth <= 0) {
            std::vector<QPointF> run = flattenBulges({{s.from, s.bulge}, {s.to}}, false, tolerance);
            if (!out.thinRuns.empty() && out.thinRuns.back().back() == run.front())
                out.thinRuns.back().insert(out.thinRuns.back().end(), run.begin() + 1, run.end());
            else
                out.thinRuns.push_back(std::move(run));
            continue;
        }
        std::vector<QPointF> band;
        if (const std::optional<BulgeArc> arc = bulgeArc(s.from, s.to, s.bulge)) {
            // A ring piece whose width runs linearly along the arc; the inner
            // edge pinches at the centre when the band is wider than the arc.
            const int n = arcSegments(arc->radius + std::max(s.startWidth, s.endWidth) / 2, std::abs(arc->sweep),
                                      tolerance);
            std::vector<QPointF> inner;
            for (int k = 0; k <= n; ++k) {
                const double f = double(k) / n;
                const double a = arc->startAngle + arc->sweep * f;
                const QPointF radial(std::cos(a), std::sin(a));
                const double half = (s.startWidth + (s.endWidth - s.startWidth) * f) / 2;
                band.push_back(arc->centre + radial * (arc->radius + half));
                inner.push_back(arc->centre + radial * std::max(0.0, arc->radius - half));
            }
            band.insert(band.end(), inner.rbegin(), inner.rend());
        } else {
            const QPointF n = leftOf(s.startTangent);
            band = {s.from + n * (s.startWidth / 2), s.to + n * (s.endWidth / 2), s.to - n * (s.endWidth / 2),
                    s.from - n * (s.startWidth / 2)};
        }
        out.bands.push_back(std::move(band));
    }

    // Joins: where two wide segments meet, the gap on the outside of the
    // turn is closed by a mitre (or a bevel where the mitre would be long).
    const std::size_t joins = p.closed ? segments.size() : segments.size() - (segments.empty() ? 0 : 1);
    for (std::size_t i = 0; i < joins && segments.size() >= 2; ++i) {
        const Segment& a = segments[i];
        const Segment& b = segments[(i + 1) % segments.size()];
        if (a.to != b.from)
            continue;
        const double ha = a.endWidth / 2, hb = b.startWidth / 2;
        if (ha <= 0 || hb <= 0)
            continue;
        const double turn = cross(a.endTangent, b.startTangent);
        if (std::abs(turn) < 1e-12)
            continue;
        // The outside of a left turn is on the right.
        const double side = turn > 0 ? -1 : 1;
        const QPointF v = a.to;
        const QPointF pa = v + leftOf(a.endTangent) * (ha * side);
        const QPointF pb = v + leftOf(b.startTangent) * (hb * side);
        // pa + a.endTangent * s meets pb - b.startTangent * u
        const double denominator = cross(a.endTangent, -b.startTangent);
        const double along = std::abs(denominator) > 1e-12 ? cross(pb - pa, -b.startTangent) / denominator : -1;
        if (along >= 0 && along <= mitreLimit * std::max(ha, hb))
            out.bands.push_back({v, pa, pa + a.endTangent * along, pb});
        else
            out.bands.push_back({v, pa, pb});
    }
    return out;
}

} // namespace cad::render
