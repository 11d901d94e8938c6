// The reader of HATCH and MPOLYGON: boundary loops (polylines, or edges of
// lines, arcs, elliptic arcs and splines, flattened when read), the island
// style, the pattern lines and the fill's colour.

#include "DxfEntityReader.h"
#include "DxfGroupValues.h"

#include "cad/Curves.h"

#include <QRectF>

#include <cmath>

namespace cad::dxf {

namespace {

/// Hatch edges are flattened when read, finely enough for any zoom of the
/// pictures: to a ten-thousandth of the curve's own size.
constexpr double kEdgeTolerance = 1e-4;

void appendPoints(std::vector<PolyVertex>& out, const std::vector<QPointF>& points)
{
    for (const QPointF& p : points)
        out.push_back({p});
}

/// A circular arc edge from its start to its end, as a vertex with the bulge
/// and the end point. Clockwise arcs store their angles mirrored; angles past
/// 360 degrees (start 348.7, end 472.9) are the same directions.
std::vector<PolyVertex> arcEdge(QPointF centre, double radius, double a50, double a51, bool ccw)
{
    const double s = ccw ? a50 : -a50, e = ccw ? a51 : -a51;
    double sweep = std::fmod(ccw ? e - s : s - e, 360.0);
    if (sweep <= 0) sweep += 360;
    const double rs = s * kPi / 180, re = e * kPi / 180;
    PolyVertex from{centre + QPointF(std::cos(rs), std::sin(rs)) * radius};
    from.bulge = std::tan(sweep * kPi / 180 / 4) * (ccw ? 1 : -1);
    return {from, {centre + QPointF(std::cos(re), std::sin(re)) * radius}};
}

/// The same path run the other way: the bulge of a segment moves to its new
/// start vertex and changes sign.
void reverseEdge(std::vector<PolyVertex>& piece)
{
    std::reverse(piece.begin(), piece.end());
    for (size_t k = 0; k + 1 < piece.size(); ++k)
        piece[k].bulge = -piece[k + 1].bulge;
    if (!piece.empty())
        piece.back().bulge = 0;
}

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

/// Appends an edge (start to end) to a loop: an edge written the other way
/// round (its end meets the loop's last point) is turned first, and the
/// point two edges share is kept once.
void joinEdge(std::vector<PolyVertex>& loop, std::vector<PolyVertex> piece)
{
    if (piece.empty())
        return;
    if (!loop.empty()) {
        const QPointF last = loop.back().pos;
        if (distance(piece.back().pos, last) < distance(piece.front().pos, last))
            reverseEdge(piece);
        if (loop.back().bulge == 0 && distance(piece.front().pos, last) <= 1e-9 * (1 + std::abs(last.x()) + std::abs(last.y())))
            loop.pop_back();
    }
    loop.insert(loop.end(), piece.begin(), piece.end());
}

/// Reads the boundary loops of a HATCH starting at groups[i] (its group 91).
/// Counts in the file are trusted only as far as the groups go.
void readHatchLoops(const std::vector<Group>& gs, size_t& i, HatchGeom& hatch, bool polylinesOnly)
{
    const size_t n = gs.size();
    auto at = [&](int code) { return i < n && gs[i].code == code; };
    std::int64_t loops = gs[i].toInt();
    ++i;
    for (std::int64_t l = 0; l < loops && i < n; ++l) {
        while (i < n && gs[i].code != 92) ++i;
        if (i >= n) break;
        const auto flags = gs[i].toInt();
        ++i;
        HatchLoop loop;
        loop.flags = std::int32_t(flags);
        if ((flags & 2) || polylinesOnly) { // polyline boundary
            bool hasBulge = false;
            std::int64_t count = 0;
            while (i < n && gs[i].code != 10 && gs[i].code != 92 && gs[i].code != 97) {
                if (gs[i].code == 72) hasBulge = gs[i].toInt() != 0;
                else if (gs[i].code == 93) count = gs[i].toInt();
                ++i;
            }
            // The count is trusted only as far as the groups go (three at most a vertex).
            loop.vertices.reserve(size_t(std::clamp<std::int64_t>(count, 0, std::int64_t(n - i) / 2)));
            for (std::int64_t v = 0; v < count && at(10); ++v) {
                PolyVertex pv;
                setX(pv.pos, gs[i]); ++i;
                if (at(20)) { setY(pv.pos, gs[i]); ++i; }
                if (hasBulge && at(42)) { pv.bulge = gs[i].toDouble(); ++i; }
                loop.vertices.push_back(pv);
            }
        } else { // edge boundary
            std::int64_t edges = 0;
            if (at(93)) { edges = gs[i].toInt(); ++i; }
            for (std::int64_t k = 0; k < edges && at(72); ++k) {
                const auto type = gs[i].toInt();
                ++i;
                // Collect this edge's groups up to the next edge or loop end.
                QPointF p10, p11;
                double r40 = 0, a50 = 0, a51 = 0;
                bool ccw = true;
                int degree = 3;
                std::vector<double> knots, weights;
                std::vector<QPointF> ctrl;
                while (i < n && gs[i].code != 72 && gs[i].code != 92 && gs[i].code != 97
                       && gs[i].code != 75) {
                    const Group& g = gs[i];
                    switch (g.code) {
                    case 10: if (type == 4) ctrl.push_back({g.toDouble(), 0}); else setX(p10, g); break;
                    case 20: if (type == 4) { if (!ctrl.empty()) ctrl.back().setY(g.toDouble()); } else setY(p10, g); break;
                    case 11: if (type != 4) setX(p11, g); break;
                    case 21: if (type != 4) setY(p11, g); break;
                    case 40: if (type == 4) knots.push_back(g.toDouble()); else r40 = g.toDouble(); break;
                    case 42: if (type == 4) weights.push_back(g.toDouble()); break;
                    case 50: a50 = g.toDouble(); break;
                    case 51: a51 = g.toDouble(); break;
                    case 73: if (type != 4) ccw = g.toInt() != 0; break;
                    case 94: degree = clampInt(g.toInt(), 1, 10); break;
                    default: break;
                    }
                    ++i;
                }
                std::vector<PolyVertex> piece;
                if (type == 1) {
                    piece = {{p10}, {p11}};
                } else if (type == 2) {
                    piece = arcEdge(p10, r40, a50, a51, ccw);
                } else if (type == 3) {
                    // Clockwise edges store their parameters mirrored, as
                    // arcs do; the points run from the edge's start.
                    double t0 = a50 * kPi / 180, t1 = a51 * kPi / 180;
                    // (flattenEllipse takes the sweep modulo a turn: no loop
                    // that a hostile 1e300 could keep going.)
                    if (!ccw) { t0 = -t0; t1 = -t1; std::swap(t0, t1); }
                    EllipseGeom ellipse{p10, p11, r40 == 0 ? 1 : r40, t0, t1};
                    const double size = std::hypot(p11.x(), p11.y());
                    appendPoints(piece, cad::flattenEllipse(ellipse, size * kEdgeTolerance));
                    if (!ccw)
                        std::reverse(piece.begin(), piece.end());
                } else if (type == 4) {
                    SplineGeom spline;
                    spline.degree = degree;
                    spline.knots = std::move(knots);
                    spline.controlPoints = std::move(ctrl);
                    if (weights.size() == spline.controlPoints.size())
                        spline.weights = std::move(weights);
                    QRectF box;
                    for (const QPointF& p : spline.controlPoints)
                        box |= QRectF(p, QSizeF(1e-12, 1e-12));
                    const double size = std::max(box.width(), box.height());
                    appendPoints(piece, cad::flattenSpline(spline, size * kEdgeTolerance));
                }
                joinEdge(loop.vertices, std::move(piece));
            }
        }
        if (!loop.vertices.empty())
            hatch.loops.push_back(std::move(loop));
    }
}

/// Reads what follows the boundary loops of a HATCH or MPOLYGON: the island
/// style, the pattern lines and the fill's own colour (a gradient's first).
/// CAD programs write every solid hatch with a gradient record; while its
/// group 450 is 0 that record is unused, and so are its colours.
void readHatchFill(const std::vector<Group>& gs, size_t i, size_t end, HatchGeom& hatch)
{
    HatchPatternLine* line = nullptr;
    bool firstGradientColour = true;
    bool unusedGradient = false;
    for (; i < end; ++i) {
        const Group& g = gs[i];
        switch (g.code) {
        case 75: hatch.style = std::int8_t(clampInt(g.toInt(), 0, 2)); break;
        case 53:
            hatch.patternLines.emplace_back();
            line = &hatch.patternLines.back();
            line->angleDegrees = g.toDouble();
            break;
        case 43: if (line) line->base.setX(g.toDouble()); break;
        case 44: if (line) line->base.setY(g.toDouble()); break;
        case 45: if (line) line->offset.setX(g.toDouble()); break;
        case 46: if (line) line->offset.setY(g.toDouble()); break;
        case 49: if (line) line->dashes.push_back(g.toDouble()); break;
        case 47: case 98: line = nullptr; break; // pattern data ends: pixel size, seed points
        case 450:
            hatch.gradient = g.toInt() != 0;
            unusedGradient = !hatch.gradient;
            break;
        case 63:
            if (firstGradientColour && !unusedGradient)
                hatch.fillColourIndex = std::int16_t(clampInt(g.toInt(), 0, 256));
            break;
        case 421:
            if (firstGradientColour && !unusedGradient) {
                hatch.fillColour = std::int32_t(g.toInt() & 0xFFFFFF);
                firstGradientColour = false;
            } else if (hatch.gradient) {
                hatch.secondColour = std::int32_t(g.toInt() & 0xFFFFFF);
            }
            break;
        case 452: hatch.oneColourGradient = g.toInt() != 0; break;
        case 460: hatch.gradientAngle = float(std::isfinite(g.toDouble()) ? g.toDouble() : 0); break;
        case 462: {
            const double tint = g.toDouble();
            hatch.tint = float(std::isfinite(tint) ? std::clamp(tint, 0.0, 1.0) : 0);
            break;
        }
        case 470: hatch.gradientName = QString::fromLatin1(trimmedName(g.value).data(), qsizetype(trimmedName(g.value).size())); break;
        default: break;
        }
    }
}

} // namespace

Geometry DxfEntityReader::readHatch(EntityGroups& in)
{
    return readHatchOrMPolygon(in, false);
}

Geometry DxfEntityReader::readMPolygon(EntityGroups& in)
{
    return readHatchOrMPolygon(in, true);
}

Geometry DxfEntityReader::readHatchOrMPolygon(const EntityGroups& in, bool mpolygon)
{
    // MPOLYGON keeps its version in 70 and its fill flag in 71; its loops
    // are always polylines.
    const std::vector<Group>& gs = in.all;
    HatchGeom h;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = gs[i];
        if (g.code == 2) h.patternName = sharedText(g.value);
        else if (g.code == (mpolygon ? 71 : 70)) h.solidFill = g.toInt() & 1;
        else if (g.code == 63) h.fillColourIndex = std::int16_t(clampInt(g.toInt(), 0, 256));
        else if (g.code == 91) {
            readHatchLoops(gs, i, h, mpolygon);
            readHatchFill(gs, i, in.end, h);
            break;
        }
    }
    return h;
}

} // namespace cad::dxf
