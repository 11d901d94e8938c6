#include "cad/Curves.h"

#include "cad/SplineInterpolation.h"

#include <algorithm>
#include <cmath>

namespace cad {

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int maximumSegments = 1024;

/// Segments for `sweep` radians of a circle of `radius` within `tolerance`.
int segmentsFor(double radius, double sweep, double tolerance)
{
    if (radius <= 0 || !std::isfinite(radius) || !std::isfinite(sweep))
        return 1;
    const double ratio = std::clamp(1.0 - tolerance / radius, -1.0, 1.0);
    const double step = std::max(2.0 * std::acos(ratio), 2 * pi / maximumSegments);
    return std::clamp(int(std::ceil(std::abs(sweep) / step)), 1, maximumSegments);
}

/// Sweep from start to end, counterclockwise, in (0, 2π]; equal angles make a full turn.
double ccwSweep(double start, double end)
{
    double sweep = std::fmod(end - start, 2 * pi);
    if (sweep <= 1e-12)
        sweep += 2 * pi;
    return sweep;
}

} // namespace

std::vector<QPointF> flattenArc(QPointF centre, double radius, double startDegrees, double endDegrees, double tolerance)
{
    const double start = startDegrees * pi / 180.0;
    const double sweep = ccwSweep(start, endDegrees * pi / 180.0);
    const int n = segmentsFor(radius, sweep, tolerance);
    std::vector<QPointF> points;
    points.reserve(std::size_t(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double a = start + sweep * i / n;
        points.emplace_back(centre.x() + radius * std::cos(a), centre.y() + radius * std::sin(a));
    }
    return points;
}

std::vector<QPointF> flattenEllipse(const EllipseGeom& e, double tolerance)
{
    const double major = std::hypot(e.majorAxis.x(), e.majorAxis.y());
    const QPointF minor(-e.majorAxis.y() * e.ratio, e.majorAxis.x() * e.ratio);
    const double sweep = ccwSweep(e.startParam, e.endParam);
    const int n = segmentsFor(major, sweep, tolerance);
    std::vector<QPointF> points;
    points.reserve(std::size_t(n) + 1);
    for (int i = 0; i <= n; ++i) {
        const double t = e.startParam + sweep * i / n;
        points.push_back(e.center + e.majorAxis * std::cos(t) + minor * std::sin(t));
    }
    return points;
}

std::vector<QPointF> flattenBulges(const std::vector<PolyVertex>& vertices, bool closed, double tolerance)
{
    std::vector<QPointF> points;
    if (vertices.empty())
        return points;
    points.reserve(vertices.size());
    points.push_back(vertices.front().pos);
    const std::size_t segments = closed ? vertices.size() : vertices.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const PolyVertex& from = vertices[i];
        const QPointF to = vertices[(i + 1) % vertices.size()].pos;
        const std::optional<BulgeArc> arc = bulgeArc(from.pos, to, from.bulge);
        if (!arc) {
            points.push_back(to);
            continue;
        }
        const int n = segmentsFor(arc->radius, std::abs(arc->sweep), tolerance);
        for (int k = 1; k <= n; ++k) {
            const double a = arc->startAngle + arc->sweep * k / n;
            points.emplace_back(arc->centre.x() + arc->radius * std::cos(a), arc->centre.y() + arc->radius * std::sin(a));
        }
        points.back() = to; // land exactly on the vertex
    }
    return points;
}

std::optional<BulgeArc> bulgeArc(QPointF from, QPointF to, double bulge)
{
    const QPointF chord = to - from;
    const double length = std::hypot(chord.x(), chord.y());
    if (std::abs(bulge) < 1e-9 || !(length > 0) || !std::isfinite(bulge) || !std::isfinite(length))
        return std::nullopt;
    // The bulge is tan(θ/4) of the included angle θ; its sign gives the
    // direction (positive: counterclockwise).
    const double theta = 4 * std::atan(bulge);
    const double radius = length / (2 * std::sin(std::abs(theta) / 2));
    const double sagittaToCentre = radius * std::cos(theta / 2);
    const QPointF mid = (from + to) / 2;
    const QPointF normal(-chord.y() / length, chord.x() / length);
    const QPointF centre = mid + normal * (bulge > 0 ? sagittaToCentre : -sagittaToCentre);
    return BulgeArc{centre, std::abs(radius), std::atan2(from.y() - centre.y(), from.x() - centre.x()), theta};
}

int arcSegments(double radius, double sweep, double tolerance)
{
    return segmentsFor(radius, sweep, tolerance);
}

namespace {

/// De Boor's evaluation of a (rational) B-spline at parameter u.
QPointF evaluateSpline(const SplineGeom& s, double u)
{
    const int p = s.degree;
    const std::vector<double>& k = s.knots;
    const int n = int(s.controlPoints.size()) - 1;
    int span = p;
    while (span < n && u >= k[std::size_t(span) + 1])
        ++span;
    const bool rational = s.weights.size() == s.controlPoints.size();
    std::vector<double> x(std::size_t(p) + 1), y(std::size_t(p) + 1), w(std::size_t(p) + 1);
    for (int j = 0; j <= p; ++j) {
        const std::size_t i = std::size_t(span - p + j);
        const double weight = rational ? s.weights[i] : 1.0;
        x[std::size_t(j)] = s.controlPoints[i].x() * weight;
        y[std::size_t(j)] = s.controlPoints[i].y() * weight;
        w[std::size_t(j)] = weight;
    }
    for (int r = 1; r <= p; ++r)
        for (int j = p; j >= r; --j) {
            const std::size_t i = std::size_t(span - p + j);
            const double denom = k[i + std::size_t(p) + 1 - std::size_t(r)] - k[i];
            const double a = denom != 0 ? (u - k[i]) / denom : 0;
            const std::size_t jj = std::size_t(j);
            x[jj] = (1 - a) * x[jj - 1] + a * x[jj];
            y[jj] = (1 - a) * y[jj - 1] + a * y[jj];
            w[jj] = (1 - a) * w[jj - 1] + a * w[jj];
        }
    const double weight = w[std::size_t(p)] != 0 ? w[std::size_t(p)] : 1.0;
    return QPointF(x[std::size_t(p)] / weight, y[std::size_t(p)] / weight);
}

bool splineIsEvaluable(const SplineGeom& s)
{
    const std::size_t count = s.controlPoints.size();
    if (s.degree < 1 || s.degree > 25 || count < std::size_t(s.degree) + 1)
        return false;
    if (s.knots.size() != count + std::size_t(s.degree) + 1)
        return false;
    for (std::size_t i = 1; i < s.knots.size(); ++i)
        if (!(s.knots[i] >= s.knots[i - 1]))
            return false; // also refuses NaN
    return s.knots[count] > s.knots[std::size_t(s.degree)];
}

} // namespace

std::vector<QPointF> flattenSpline(const SplineGeom& s, double tolerance)
{
    if (splineIsEvaluable(s)) {
        const double u0 = s.knots[std::size_t(s.degree)];
        const double u1 = s.knots[s.controlPoints.size()];
        // The control polygon's length bounds the curve's; one sample per
        // tolerance-sized piece of it is plenty, within sensible limits.
        double length = 0;
        for (std::size_t i = 1; i < s.controlPoints.size(); ++i) {
            const QPointF d = s.controlPoints[i] - s.controlPoints[i - 1];
            length += std::hypot(d.x(), d.y());
        }
        const int samples = std::clamp(int(length / std::max(tolerance * 8, 1e-12)),
                                       int(s.controlPoints.size()) * 4, 2000);
        std::vector<QPointF> points;
        points.reserve(std::size_t(samples) + 1);
        for (int i = 0; i <= samples; ++i)
            points.push_back(evaluateSpline(s, u0 + (u1 - u0) * i / samples));
        return points;
    }
    if (s.fitPoints.size() >= 2) {
        if (const std::optional<SplineGeom> fitted = splineThroughFitPoints(s); fitted && splineIsEvaluable(*fitted))
            return flattenSpline(*fitted, tolerance);
        return s.fitPoints;
    }
    return s.controlPoints;
}

} // namespace cad
