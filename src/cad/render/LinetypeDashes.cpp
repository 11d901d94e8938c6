#include "cad/render/LinetypeDashes.h"

#include <cmath>

namespace cad::render {

DashPattern::DashPattern(const std::vector<double>& elements, double scale)
{
    if (!(scale > 0) || !std::isfinite(scale))
        return;
    bool hasGap = false, draws = false;
    double period = 0;
    for (double e : elements) {
        if (!std::isfinite(e))
            return;
        m_elements.push_back(e * scale);
        period += std::abs(e * scale);
        hasGap |= e < 0;
        draws |= e >= 0;
    }
    // Without a gap the pattern is one long dash; with nothing but gaps
    // there would be nothing to see, which no CAD draws either.
    if (hasGap && draws && period > 0 && std::isfinite(period))
        m_period = period;
    else
        m_elements.clear();
}

namespace {

double lengthOf(QPointF d)
{
    return std::hypot(d.x(), d.y());
}

/// Walks the pattern along `points`, starting `phase` into a repetition.
void walk(const std::vector<QPointF>& points, const DashPattern& pattern, double phase, DashedStroke& out)
{
    const std::vector<double>& el = pattern.elements();
    const std::size_t n = el.size();
    phase = std::fmod(phase, pattern.period());
    if (phase < 0)
        phase += pattern.period();
    // Find the element the phase falls in.
    std::size_t idx = 0;
    double remaining = std::abs(el[0]);
    while (phase > remaining || (phase == remaining && phase > 0)) {
        phase -= remaining;
        idx = (idx + 1) % n;
        remaining = std::abs(el[idx]);
    }
    remaining -= phase;

    std::vector<QPointF> dash;
    if (el[idx] > 0)
        dash.push_back(points.front());
    auto extend = [&dash](QPointF p) {
        if (dash.empty() || dash.back() != p)
            dash.push_back(p);
    };
    for (std::size_t s = 0; s + 1 < points.size(); ++s) {
        const QPointF a = points[s], b = points[s + 1];
        const double length = lengthOf(b - a);
        if (!(length > 0))
            continue;
        auto at = [&](double u) { return a + (b - a) * (u / length); };
        double u = 0;
        for (;;) {
            const double e = el[idx];
            if (e == 0) {
                out.dots.push_back(at(u));
            } else {
                const double available = length - u;
                if (remaining > available) {
                    remaining -= available;
                    if (e > 0)
                        extend(b);
                    break;
                }
                u += remaining;
                if (e > 0) {
                    extend(at(u));
                    if (dash.size() >= 2)
                        out.dashes.push_back(std::move(dash));
                    dash.clear();
                }
            }
            idx = (idx + 1) % n;
            remaining = std::abs(el[idx]);
            if (el[idx] > 0)
                dash.assign(1, at(u));
        }
    }
    if (dash.size() >= 2)
        out.dashes.push_back(std::move(dash));
}

} // namespace

void dashPolyline(const std::vector<QPointF>& points, const DashPattern& pattern, DashedStroke& out,
                  std::size_t maximumPieces)
{
    if (points.empty())
        return;
    double length = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        length += lengthOf(points[i + 1] - points[i]);
    const bool whole = pattern.isContinuous() || !std::isfinite(length) || length < pattern.period()
                       || length / pattern.period() * double(pattern.elements().size()) > double(maximumPieces);
    if (whole) {
        out.dashes.push_back(points);
        return;
    }
    walk(points, pattern, 0, out);
}

void dashSegment(QPointF origin, QPointF from, QPointF to, const DashPattern& pattern, DashedStroke& out)
{
    const QPointF d = to - from;
    const double length = lengthOf(d);
    if (!(length > 0) || !std::isfinite(length))
        return;
    if (pattern.isContinuous()) {
        out.dashes.push_back({from, to});
        return;
    }
    const double phase = ((from - origin).x() * d.x() + (from - origin).y() * d.y()) / length;
    walk({from, to}, pattern, phase, out);
}

} // namespace cad::render
