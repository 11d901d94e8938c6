#include "cad/render/LinetypeDashes.h"

#include <algorithm>
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

DashPattern::DashPattern(const LinetypePattern& pattern, double scale, double frameDegrees)
    : DashPattern(pattern.elements, scale)
{
    if (isContinuous())
        return;
    std::vector<double> ends; // where each element ends, from the repetition's start
    double at = 0;
    for (double e : m_elements)
        ends.push_back(at += std::abs(e));
    for (const LinetypeText& t : pattern.texts) {
        if (t.element >= ends.size())
            continue;
        Text text;
        text.along = ends[t.element] + t.offset.x() * scale;
        text.across = t.offset.y() * scale;
        text.height = t.height * scale;
        text.rotationDegrees = t.rotation * 180.0 / M_PI + (t.absolute ? frameDegrees : 0);
        text.absolute = t.absolute;
        text.upright = t.upright;
        text.text = t.text;
        if (std::isfinite(text.along) && std::isfinite(text.across) && text.height > 0 && std::isfinite(text.height))
            m_texts.push_back(std::move(text));
    }
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

/// Puts the pattern's texts where each repetition places them along `points`.
void placeTexts(const std::vector<QPointF>& points, const DashPattern& pattern, double length, DashedStroke& out)
{
    if (pattern.texts().empty())
        return;
    std::vector<double> starts{0}; // where each segment starts along the polyline
    for (std::size_t i = 0; i + 1 < points.size(); ++i)
        starts.push_back(starts.back() + lengthOf(points[i + 1] - points[i]));
    const int repetitions = int(std::ceil(length / pattern.period()));
    for (int r = 0; r < repetitions; ++r)
        for (const DashPattern::Text& t : pattern.texts()) {
            const double s = r * pattern.period() + t.along;
            if (s < 0 || s > length)
                continue;
            std::size_t i = std::size_t(std::upper_bound(starts.begin(), starts.end(), s) - starts.begin());
            i = std::clamp<std::size_t>(i, 1, points.size() - 1) - 1;
            const QPointF d = points[i + 1] - points[i];
            const double segment = lengthOf(d);
            if (!(segment > 0))
                continue;
            const QPointF direction = d / segment;
            const QPointF left(-direction.y(), direction.x());
            PlacedText placed;
            placed.position = points[i] + direction * (s - starts[i]) + left * t.across;
            placed.rotationDegrees = t.rotationDegrees + (t.absolute ? 0 : std::atan2(d.y(), d.x()) * 180.0 / M_PI);
            placed.height = t.height;
            placed.upright = t.upright;
            placed.text = t.text;
            out.texts.push_back(std::move(placed));
        }
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
    placeTexts(points, pattern, length, out);
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
