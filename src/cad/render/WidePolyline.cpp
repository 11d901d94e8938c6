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

double widthAt(const Segment& s, double f)
{
    return s.startWidth + (s.endWidth - s.startWidth) * f;
}

/// The filled band of the segment between fractions f0 and f1 of its length.
std::vector<QPointF> bandPiece(const Segment& s, double f0, double f1, double tolerance)
{
    std::vector<QPointF> band;
    if (const std::optional<BulgeArc> arc = bulgeArc(s.from, s.to, s.bulge)) {
        // A ring piece whose width runs linearly along the arc; the inner
        // edge pinches at the centre when the band is wider than the arc.
        const int n = std::max(1, arcSegments(arc->radius + std::max(s.startWidth, s.endWidth) / 2,
                                              std::abs(arc->sweep) * (f1 - f0), tolerance));
        std::vector<QPointF> inner;
        for (int k = 0; k <= n; ++k) {
            const double f = f0 + (f1 - f0) * k / n;
            const double a = arc->startAngle + arc->sweep * f;
            const QPointF radial(std::cos(a), std::sin(a));
            const double half = widthAt(s, f) / 2;
            band.push_back(arc->centre + radial * (arc->radius + half));
            inner.push_back(arc->centre + radial * std::max(0.0, arc->radius - half));
        }
        band.insert(band.end(), inner.rbegin(), inner.rend());
    } else {
        const QPointF n = leftOf(s.startTangent);
        const QPointF a = s.from + (s.to - s.from) * f0, b = s.from + (s.to - s.from) * f1;
        const double ha = widthAt(s, f0) / 2, hb = widthAt(s, f1) / 2;
        band = {a + n * ha, b + n * hb, b - n * hb, a - n * ha};
    }
    return band;
}

/// The point at fraction f of the segment and the direction across it there.
std::pair<QPointF, QPointF> pointAndNormal(const Segment& s, double f)
{
    if (const std::optional<BulgeArc> arc = bulgeArc(s.from, s.to, s.bulge)) {
        const double a = arc->startAngle + arc->sweep * f;
        const QPointF radial(std::cos(a), std::sin(a));
        return {arc->centre + radial * arc->radius, radial};
    }
    return {s.from + (s.to - s.from) * f, leftOf(s.startTangent)};
}

double lengthOf(const Segment& s)
{
    if (const std::optional<BulgeArc> arc = bulgeArc(s.from, s.to, s.bulge))
        return arc->radius * std::abs(arc->sweep);
    return std::hypot(s.to.x() - s.from.x(), s.to.y() - s.from.y());
}

/// Where the pattern draws along a run of segments laid end to end: dash
/// intervals and dot positions, as distances from the run's start.
struct Marks {
    std::vector<std::pair<double, double>> dashes;
    std::vector<double> dots;
};

Marks patternMarks(const std::vector<double>& lengths, const DashPattern& pattern)
{
    // The run straightened out along the x axis, vertices kept.
    std::vector<QPointF> line{QPointF(0, 0)};
    for (double l : lengths)
        line.emplace_back(line.back().x() + l, 0);
    DashedStroke stroke;
    dashPolyline(line, pattern, stroke);
    Marks marks;
    for (const auto& dash : stroke.dashes)
        marks.dashes.emplace_back(dash.front().x(), dash.back().x());
    for (const QPointF& dot : stroke.dots)
        marks.dots.push_back(dot.x());
    return marks;
}

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

WidePolylineShapes widePolylineShapes(const PolylineGeom& p, double tolerance, const DashPattern* pattern)
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
        if (!pattern)
            out.bands.push_back(bandPiece(s, 0, 1, tolerance));
    }
    // Neighbouring bands join where dashes cover both sides of their vertex.
    std::vector<bool> dashAtStart(segments.size(), !pattern), dashAtEnd(segments.size(), !pattern);
    if (pattern) {
        std::vector<double> lengths;
        for (const Segment& s : segments)
            lengths.push_back(lengthOf(s));
        // Runs the pattern is laid along: the whole polyline, or each segment.
        std::vector<std::pair<std::size_t, std::size_t>> runs;
        if (p.continuousPattern)
            runs.emplace_back(0, segments.size());
        else
            for (std::size_t i = 0; i < segments.size(); ++i)
                runs.emplace_back(i, i + 1);
        for (const auto& [first, last] : runs) {
            const Marks marks = patternMarks({lengths.begin() + long(first), lengths.begin() + long(last)}, *pattern);
            double start = 0;
            for (std::size_t i = first; i < last; ++i) {
                const Segment& s = segments[i];
                const double end = start + lengths[i];
                const bool wide = s.startWidth > 0 || s.endWidth > 0;
                for (const auto& [from, to] : marks.dashes) {
                    const double f0 = (std::max(from, start) - start) / lengths[i];
                    const double f1 = (std::min(to, end) - start) / lengths[i];
                    if (!(wide && f1 > f0))
                        continue;
                    out.bands.push_back(bandPiece(s, f0, f1, tolerance));
                    dashAtStart[i] = dashAtStart[i] || f0 <= 0;
                    dashAtEnd[i] = dashAtEnd[i] || f1 >= 1;
                }
                for (double at : marks.dots)
                    if (wide && at >= start && at <= end) {
                        const double f = (at - start) / lengths[i];
                        const auto [point, across] = pointAndNormal(s, f);
                        const double half = widthAt(s, f) / 2;
                        out.thinRuns.push_back({point + across * half, point - across * half});
                    }
                start = end;
            }
        }
    }

    // Joins: where two wide segments meet, the gap on the outside of the
    // turn is closed by a mitre (or a bevel where the mitre would be long).
    const std::size_t joins = p.closed ? segments.size() : segments.size() - (segments.empty() ? 0 : 1);
    for (std::size_t i = 0; i < joins && segments.size() >= 2; ++i) {
        const Segment& a = segments[i];
        const Segment& b = segments[(i + 1) % segments.size()];
        if (a.to != b.from || !dashAtEnd[i] || !dashAtStart[(i + 1) % segments.size()])
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
