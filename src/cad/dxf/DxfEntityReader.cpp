#include "DxfEntityReader.h"

#include "cad/Curves.h"

#include <QRectF>

#include <cmath>
#include <numbers>

namespace cad::dxf {

namespace {

// Group 101 starts an embedded object (MTEXT columns of R2018) whose groups
// reuse the entity's codes; nothing after it belongs to the entity proper.
constexpr int kEmbeddedObject = 101;

std::string_view trimmedName(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

void setX(QPointF& p, const Group& g) { p.setX(g.toDouble()); }
void setY(QPointF& p, const Group& g) { p.setY(g.toDouble()); }

int clampInt(std::int64_t v, int lo, int hi) { return int(std::max<std::int64_t>(lo, std::min<std::int64_t>(hi, v))); }

EntityType typeOf(std::string_view name)
{
    static const std::unordered_map<std::string_view, EntityType> types = {
        {"LINE", EntityType::Line},        {"LWPOLYLINE", EntityType::LwPolyline},
        {"POLYLINE", EntityType::Polyline}, {"CIRCLE", EntityType::Circle},
        {"ARC", EntityType::Arc},          {"ELLIPSE", EntityType::Ellipse},
        {"SPLINE", EntityType::Spline},    {"POINT", EntityType::Point},
        {"SOLID", EntityType::Solid},      {"TRACE", EntityType::Trace},
        {"3DFACE", EntityType::Face3d},    {"HATCH", EntityType::Hatch},
        {"TEXT", EntityType::Text},        {"MTEXT", EntityType::MText},
        {"INSERT", EntityType::Insert},    {"DIMENSION", EntityType::Dimension},
        {"LEADER", EntityType::Leader},    {"VIEWPORT", EntityType::Viewport},
        {"MESH", EntityType::Mesh},        {"MLINE", EntityType::MLine},
        {"MULTILEADER", EntityType::MultiLeader}, {"MLEADER", EntityType::MultiLeader},
        {"ACAD_TABLE", EntityType::Table}, {"WIPEOUT", EntityType::Wipeout},
        {"IMAGE", EntityType::Image},      {"XLINE", EntityType::XLine},
        {"RAY", EntityType::Ray},
        // Dimensions of their own kinds, drawn like any dimension by their block.
        {"ARC_DIMENSION", EntityType::Dimension}, {"LARGE_RADIAL_DIMENSION", EntityType::Dimension},
        {"MPOLYGON", EntityType::MPolygon},
    };
    auto it = types.find(name);
    return it == types.end() ? EntityType::Other : it->second;
}

/// Mirrors an entity written in an object coordinate system whose Z points
/// down (extrusion 0,0,-1, as mirrored arcs and inserts are stored): x flips.
void mirrorX(Entity& e)
{
    auto flip = [](QPointF& p) { p.setX(-p.x()); };
    std::visit([&](auto& g) {
        using G = std::decay_t<decltype(g)>;
        if constexpr (std::is_same_v<G, CircleGeom>) {
            flip(g.center);
        } else if constexpr (std::is_same_v<G, ArcGeom>) {
            flip(g.center);
            const double s = g.startAngle;
            g.startAngle = 180.0 - g.endAngle;
            g.endAngle = 180.0 - s;
        } else if constexpr (std::is_same_v<G, PolylineGeom>) {
            for (auto& v : g.vertices) { flip(v.pos); v.bulge = -v.bulge; }
        } else if constexpr (std::is_same_v<G, InsertGeom>) {
            flip(g.insert);
            g.rotation = -g.rotation;
            g.scaleX = -g.scaleX;
        } else if constexpr (std::is_same_v<G, TextGeom>) {
            flip(g.insert);
            flip(g.alignPoint);
            g.rotation = 180.0 - g.rotation;
        } else if constexpr (std::is_same_v<G, QuadGeom>) {
            for (auto& c : g.corners) flip(c);
        } else if constexpr (std::is_same_v<G, HatchGeom>) {
            for (auto& loop : g.loops)
                for (auto& v : loop.vertices) { flip(v.pos); v.bulge = -v.bulge; }
            for (auto& line : g.patternLines) {
                flip(line.base);
                flip(line.offset);
                line.angleDegrees = 180.0 - line.angleDegrees;
            }
        }
    }, e.geometry);
}

constexpr double kPi = std::numbers::pi;

/// Hatch edges are flattened when read, finely enough for any zoom of the
/// pictures: to a ten-thousandth of the curve's own size.
constexpr double kEdgeTolerance = 1e-4;

void appendPoints(std::vector<PolyVertex>& out, const std::vector<QPointF>& points)
{
    for (const QPointF& p : points)
        out.push_back({p});
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
                if (type == 1) {
                    loop.vertices.push_back({p10});
                    // the end point is the next edge's start; keep it for the last edge
                    if (k == edges - 1) loop.vertices.push_back({p11});
                } else if (type == 2) {
                    // Clockwise arcs store their angles mirrored.
                    double s = ccw ? a50 : -a50, e = ccw ? a51 : -a51;
                    double sweep = ccw ? e - s : s - e;
                    while (sweep <= 0) sweep += 360;
                    while (sweep > 360) sweep -= 360;
                    const double rad = s * kPi / 180;
                    PolyVertex pv{p10 + QPointF(std::cos(rad), std::sin(rad)) * r40};
                    pv.bulge = std::tan(sweep * kPi / 180 / 4) * (ccw ? 1 : -1);
                    loop.vertices.push_back(pv);
                    if (k == edges - 1) {
                        const double er = e * kPi / 180;
                        loop.vertices.push_back({p10 + QPointF(std::cos(er), std::sin(er)) * r40});
                    }
                } else if (type == 3) {
                    double t0 = a50 * kPi / 180, t1 = a51 * kPi / 180;
                    if (!ccw) { t0 = -t0; t1 = -t1; std::swap(t0, t1); }
                    while (t1 <= t0) t1 += 2 * kPi;
                    EllipseGeom ellipse{p10, p11, r40 == 0 ? 1 : r40, t0, t1};
                    const double size = std::hypot(p11.x(), p11.y());
                    appendPoints(loop.vertices, cad::flattenEllipse(ellipse, size * kEdgeTolerance));
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
                    appendPoints(loop.vertices, cad::flattenSpline(spline, size * kEdgeTolerance));
                }
            }
        }
        if (!loop.vertices.empty())
            hatch.loops.push_back(std::move(loop));
    }
}

/// Reads what follows the boundary loops of a HATCH or MPOLYGON: the island
/// style, the pattern lines and the fill's own colour (a gradient's first).
void readHatchFill(const std::vector<Group>& gs, size_t i, size_t end, HatchGeom& hatch)
{
    HatchPatternLine* line = nullptr;
    bool firstGradientColour = true;
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
        case 450: hatch.gradient = g.toInt() != 0; break;
        case 63: if (firstGradientColour) hatch.fillColourIndex = std::int16_t(clampInt(g.toInt(), 0, 256)); break;
        case 421:
            if (firstGradientColour) {
                hatch.fillColour = std::int32_t(g.toInt() & 0xFFFFFF);
                firstGradientColour = false;
            }
            break;
        default: break;
        }
    }
}

} // namespace

DxfEntityReader::DxfEntityReader(Drawing& drawing, DxfText& text)
    : m_drawing(drawing), m_text(text)
{
    m_layerZero = m_drawing.names.intern(QStringLiteral("0"));
}

NameId DxfEntityReader::nameId(std::string_view raw)
{
    raw = trimmedName(raw);
    auto it = m_nameCache.find(raw);
    if (it != m_nameCache.end())
        return it->second;
    const NameId id = m_drawing.names.intern(m_text.decode(raw));
    m_nameCache.emplace(std::string(raw), id);
    return id;
}

void DxfEntityReader::readCommon(const Group& g, Entity& e)
{
    switch (g.code) {
    case 8:
        if (e.layer == kNoName) e.layer = nameId(g.value);
        break;
    case 6:
        if (e.linetype == kNoName) {
            const NameId id = nameId(g.value);
            if (m_drawing.names.name(id).compare(QLatin1String("BYLAYER"), Qt::CaseInsensitive) != 0)
                e.linetype = id;
        }
        break;
    case 62: {
        const auto c = g.toInt();
        e.color = std::int16_t(c < 0 ? std::min<std::int64_t>(-c, 256) : std::min<std::int64_t>(c, 256));
        break;
    }
    case 420:
        e.trueColor = std::int32_t(g.toInt() & 0xFFFFFF);
        break;
    case 48: {
        const double scale = g.toDouble();
        if (scale > 0 && std::isfinite(scale))
            e.linetypeScale = float(scale);
        break;
    }
    case 370:
        e.lineweight = std::int16_t(std::clamp<std::int64_t>(g.toInt(), lineweight::kDefault, 211));
        break;
    default:
        break;
    }
}

Entity DxfEntityReader::read(const std::vector<Group>& gs)
{
    Entity e;
    e.type = typeOf(trimmedName(gs.front().value));
    const std::string_view typeName = trimmedName(gs.front().value);
    if (typeName == "TEXT" || typeName == "ATTRIB") {
        e = readText(gs);
        e.type = EntityType::Text;
        return e;
    }
    if (typeName == "ATTDEF") {
        e = readText(gs);
        e.type = EntityType::AttributeDefinition;
        for (const Group& g : gs)
            if (g.code == 2) { std::get<TextGeom>(e.geometry).text = m_text.decode(g.value); break; }
        return e;
    }
    size_t end = gs.size();
    for (size_t i = 1; i < gs.size(); ++i)
        if (gs[i].code == kEmbeddedObject || gs[i].code >= 1000) { end = i; break; }
    for (size_t i = 1; i < end; ++i)
        readCommon(gs[i], e);
    if (e.layer == kNoName)
        e.layer = m_layerZero;

    bool mirrored = false;
    auto extrusion = [&](const Group& g) { if (g.code == 230 && g.toDouble() < 0) mirrored = true; };

    switch (e.type) {
    case EntityType::Line: {
        LineGeom l;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 10: setX(l.start, g); break;
            case 20: setY(l.start, g); break;
            case 11: setX(l.end, g); break;
            case 21: setY(l.end, g); break;
            }
        }
        e.geometry = l;
        break;
    }
    case EntityType::LwPolyline: {
        PolylineGeom p;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 70: p.closed = g.toInt() & 1; p.continuousPattern = g.toInt() & 128; break;
            case 43: p.constantWidth = g.toDouble(); break;
            case 10: p.vertices.push_back({QPointF(g.toDouble(), 0)}); break;
            case 20: if (!p.vertices.empty()) setY(p.vertices.back().pos, g); break;
            case 40: if (!p.vertices.empty()) p.vertices.back().startWidth = g.toDouble(); break;
            case 41: if (!p.vertices.empty()) p.vertices.back().endWidth = g.toDouble(); break;
            case 42: if (!p.vertices.empty()) p.vertices.back().bulge = g.toDouble(); break;
            default: extrusion(g);
            }
        }
        e.geometry = std::move(p);
        break;
    }
    case EntityType::Polyline: {
        PolylineGeom p;
        double w0 = 0, w1 = 0;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 70: p.closed = g.toInt() & 1; p.continuousPattern = g.toInt() & 128; break;
            case 40: w0 = g.toDouble(); break;
            case 41: w1 = g.toDouble(); break;
            default: extrusion(g);
            }
        }
        if (w0 == w1) p.constantWidth = w0;
        e.geometry = std::move(p);
        // 3D polylines and meshes (flags 8, 16, 64) are in world coordinates.
        std::int64_t flags = 0, m = 0, n = 0, smoothM = 0, smoothN = 0;
        for (size_t i = 1; i < end; ++i) {
            switch (gs[i].code) {
            case 70: flags = gs[i].toInt(); break;
            case 71: m = gs[i].toInt(); break;
            case 72: n = gs[i].toInt(); break;
            case 73: smoothM = gs[i].toInt(); break;
            case 74: smoothN = gs[i].toInt(); break;
            }
        }
        if (flags & (8 | 16 | 64)) mirrored = false;
        // A curve- or spline-fitted polyline shows its fitted vertices; its
        // frame (the control points) is not drawn.
        m_polylineFitted = flags & (2 | 4);
        if ((flags & 16) && (flags & 4) && smoothM > 1 && smoothN > 1) {
            m = smoothM; // a smoothed surface: its fitted grid
            n = smoothN;
        }
        if (flags & (16 | 64)) startMeshPolyline(e, flags, m, n);
        m_polylineMirrored = mirrored;
        break;
    }
    case EntityType::Mesh:
        e.geometry = readMesh(gs, end);
        break;
    case EntityType::MLine:
        e.geometry = readMLine(gs, end);
        break;
    case EntityType::MultiLeader:
        e.geometry = readMultiLeader(gs, end);
        break;
    case EntityType::Wipeout:
    case EntityType::Image:
        e.geometry = readImageFrame(gs, end, e.type == EntityType::Wipeout);
        break;
    case EntityType::XLine:
    case EntityType::Ray:
        e.geometry = readInfiniteLine(gs, end);
        break;
    case EntityType::Table: {
        // A table looks like its anonymous block, inserted at its point.
        InsertGeom in;
        QPointF direction;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 2: if (in.block == kNoName) in.block = nameId(g.value); break;
            case 10: setX(in.insert, g); break;
            case 20: setY(in.insert, g); break;
            case 11: setX(direction, g); break;
            case 21: setY(direction, g); break;
            }
        }
        if (!direction.isNull())
            in.rotation = std::atan2(direction.y(), direction.x()) * 180 / kPi;
        e.geometry = in;
        break;
    }
    case EntityType::Circle:
    case EntityType::Arc: {
        ArcGeom a;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 10: setX(a.center, g); break;
            case 20: setY(a.center, g); break;
            case 40: a.radius = std::abs(g.toDouble()); break;
            case 50: a.startAngle = g.toDouble(); break;
            case 51: a.endAngle = g.toDouble(); break;
            default: extrusion(g);
            }
        }
        if (e.type == EntityType::Circle)
            e.geometry = CircleGeom{a.center, a.radius};
        else
            e.geometry = a;
        break;
    }
    case EntityType::Ellipse: {
        EllipseGeom el;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 10: setX(el.center, g); break;
            case 20: setY(el.center, g); break;
            case 11: setX(el.majorAxis, g); break;
            case 21: setY(el.majorAxis, g); break;
            case 40: el.ratio = g.toDouble(); break;
            case 41: el.startParam = g.toDouble(); break;
            case 42: el.endParam = g.toDouble(); break;
            }
        }
        e.geometry = el;
        break;
    }
    case EntityType::Spline: {
        SplineGeom s;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 70: s.closed = g.toInt() & 1; break;
            case 71: s.degree = clampInt(g.toInt(), 1, 25); break;
            case 40: s.knots.push_back(g.toDouble()); break;
            case 41: s.weights.push_back(g.toDouble()); break;
            case 10: s.controlPoints.push_back({g.toDouble(), 0}); break;
            case 20: if (!s.controlPoints.empty()) s.controlPoints.back().setY(g.toDouble()); break;
            case 11: s.fitPoints.push_back({g.toDouble(), 0}); break;
            case 21: if (!s.fitPoints.empty()) s.fitPoints.back().setY(g.toDouble()); break;
            case 12: setX(s.startTangent, g); break;
            case 22: setY(s.startTangent, g); break;
            case 13: setX(s.endTangent, g); break;
            case 23: setY(s.endTangent, g); break;
            }
        }
        if (std::all_of(s.weights.begin(), s.weights.end(), [](double w) { return w == 1.0; }))
            s.weights.clear();
        e.geometry = std::move(s);
        break;
    }
    case EntityType::Point: {
        PointGeom p;
        for (size_t i = 1; i < end; ++i) {
            if (gs[i].code == 10) setX(p.pos, gs[i]);
            else if (gs[i].code == 20) setY(p.pos, gs[i]);
        }
        e.geometry = p;
        break;
    }
    case EntityType::Solid:
    case EntityType::Trace:
    case EntityType::Face3d: {
        QuadGeom q;
        bool has13 = false;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            if (g.code >= 10 && g.code <= 13) { q.corners[size_t(g.code - 10)].setX(g.toDouble()); has13 |= g.code == 13; }
            else if (g.code >= 20 && g.code <= 23) q.corners[size_t(g.code - 20)].setY(g.toDouble());
            else extrusion(g);
        }
        if (!has13) q.corners[3] = q.corners[2]; // a triangle
        if (e.type == EntityType::Face3d) mirrored = false; // 3DFACE is in world coordinates
        e.geometry = q;
        break;
    }
    case EntityType::Hatch:
    case EntityType::MPolygon: {
        // MPOLYGON keeps its version in 70 and its fill flag in 71; its
        // loops are always polylines.
        const bool mpolygon = e.type == EntityType::MPolygon;
        HatchGeom h;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            if (g.code == 2) h.patternName = m_text.decode(g.value);
            else if (g.code == (mpolygon ? 71 : 70)) h.solidFill = g.toInt() & 1;
            else if (g.code == 230) extrusion(g);
            else if (g.code == 63) h.fillColourIndex = std::int16_t(clampInt(g.toInt(), 0, 256));
            else if (g.code == 91) {
                readHatchLoops(gs, i, h, mpolygon);
                readHatchFill(gs, i, end, h);
                break;
            }
        }
        e.geometry = std::move(h);
        break;
    }
    case EntityType::MText: {
        MTextGeom m;
        QByteArray raw;
        bool hasDirection = false;
        QPointF direction;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 10: setX(m.insert, g); break;
            case 20: setY(m.insert, g); break;
            case 11: setX(direction, g); hasDirection = true; break;
            case 21: setY(direction, g); break;
            case 40: m.height = g.toDouble(); break;
            case 41: m.width = g.toDouble(); break;
            case 50: m.rotation = g.toDouble(); break;
            case 71: m.attachment = std::int8_t(clampInt(g.toInt(), 1, 9)); break;
            case 1: case 3: raw.append(g.value.data(), qsizetype(g.value.size())); break;
            }
        }
        if (hasDirection && (direction.x() != 0 || direction.y() != 0))
            m.rotation = std::atan2(direction.y(), direction.x()) * 180 / kPi;
        m.text = m_text.decode(std::string_view(raw.constData(), size_t(raw.size())));
        e.geometry = std::move(m);
        break;
    }
    case EntityType::Insert: {
        InsertGeom in;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 2: in.block = nameId(g.value); break;
            case 10: setX(in.insert, g); break;
            case 20: setY(in.insert, g); break;
            case 41: in.scaleX = g.toDouble(); break;
            case 42: in.scaleY = g.toDouble(); break;
            case 50: in.rotation = g.toDouble(); break;
            case 70: in.columns = std::uint16_t(clampInt(g.toInt(), 1, 65535)); break;
            case 71: in.rows = std::uint16_t(clampInt(g.toInt(), 1, 65535)); break;
            case 44: in.columnSpacing = g.toDouble(); break;
            case 45: in.rowSpacing = g.toDouble(); break;
            default: extrusion(g);
            }
        }
        e.geometry = in;
        break;
    }
    case EntityType::Dimension: {
        DimensionGeom d;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 2: d.block = nameId(g.value); break;
            case 10: setX(d.definitionPoint, g); break;
            case 20: setY(d.definitionPoint, g); break;
            case 11: setX(d.textMidPoint, g); break;
            case 21: setY(d.textMidPoint, g); break;
            case 1: d.text = m_text.decode(g.value); break;
            }
        }
        e.geometry = std::move(d);
        break;
    }
    case EntityType::Leader: {
        LeaderGeom l;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            if (g.code == 10) l.vertices.push_back({g.toDouble(), 0});
            else if (g.code == 20 && !l.vertices.empty()) l.vertices.back().setY(g.toDouble());
            else if (g.code == 71) l.arrowhead = g.toInt() != 0;
        }
        e.geometry = std::move(l);
        break;
    }
    case EntityType::Viewport: {
        ViewportGeom v;
        for (size_t i = 1; i < end; ++i) {
            const Group& g = gs[i];
            switch (g.code) {
            case 10: setX(v.center, g); break;
            case 20: setY(v.center, g); break;
            case 40: v.width = g.toDouble(); break;
            case 41: v.height = g.toDouble(); break;
            }
        }
        e.geometry = v;
        break;
    }
    default:
        break;
    }
    // What we cannot draw ourselves, we draw as the writing application did.
    if (std::holds_alternative<std::monostate>(e.geometry) && e.type != EntityType::Viewport)
        e.geometry = readProxyGraphics(gs, end);
    if (mirrored)
        mirrorX(e);
    return e;
}

Entity DxfEntityReader::readText(const std::vector<Group>& gs)
{
    Entity e;
    e.type = EntityType::Text;
    TextGeom t;
    // ATTRIB and ATTDEF keep their vertical alignment in group 74, TEXT in 73.
    const bool isAttrib = trimmedName(gs.front().value) != "TEXT";
    bool mirrored = false;
    size_t end = gs.size();
    for (size_t i = 1; i < gs.size(); ++i)
        if (gs[i].code == kEmbeddedObject || gs[i].code >= 1000) { end = i; break; }
    for (size_t i = 1; i < end; ++i) {
        const Group& g = gs[i];
        readCommon(g, e);
        switch (g.code) {
        case 10: setX(t.insert, g); break;
        case 20: setY(t.insert, g); break;
        case 11: setX(t.alignPoint, g); break;
        case 21: setY(t.alignPoint, g); break;
        case 40: t.height = g.toDouble(); break;
        case 41: t.widthFactor = g.toDouble(); break;
        case 50: t.rotation = g.toDouble(); break;
        case 51: t.oblique = std::isfinite(g.toDouble()) ? std::clamp(g.toDouble(), -85.0, 85.0) : 0; break;
        case 71: t.generation = std::int8_t(g.toInt() & 6); break;
        case 72: t.hAlign = std::int8_t(clampInt(g.toInt(), 0, 5)); break;
        case 73: if (!isAttrib) t.vAlign = std::int8_t(clampInt(g.toInt(), 0, 3)); break;
        case 74: if (isAttrib) t.vAlign = std::int8_t(clampInt(g.toInt(), 0, 3)); break;
        case 1: t.text = m_text.decode(g.value); break;
        case 230: if (g.toDouble() < 0) mirrored = true; break;
        }
    }
    if (e.layer == kNoName)
        e.layer = m_layerZero;
    e.geometry = std::move(t);
    if (mirrored)
        mirrorX(e);
    return e;
}

void DxfEntityReader::appendVertex(Entity& polyline, const std::vector<Group>& gs)
{
    if (auto* mesh = std::get_if<MeshGeom>(&polyline.geometry)) {
        appendMeshVertex(*mesh, gs);
        return;
    }
    auto* p = std::get_if<PolylineGeom>(&polyline.geometry);
    if (!p)
        return;
    PolyVertex v;
    std::int64_t flags = 0;
    bool widthSet = false;
    for (size_t i = 1; i < gs.size(); ++i) {
        const Group& g = gs[i];
        switch (g.code) {
        case 10: setX(v.pos, g); break;
        case 20: setY(v.pos, g); break;
        case 40: v.startWidth = g.toDouble(); widthSet = true; break;
        case 41: v.endWidth = g.toDouble(); widthSet = true; break;
        case 42: v.bulge = g.toDouble(); break;
        case 70: flags = g.toInt(); break;
        }
    }
    // Face records of a polyface mesh carry vertex numbers, not a position;
    // the frame of a fitted polyline is not drawn.
    if (((flags & 128) && !(flags & 64)) || (m_polylineFitted && (flags & 16)))
        return;
    if (!widthSet) {
        v.startWidth = v.endWidth = p->constantWidth;
    }
    if (m_polylineMirrored) {
        v.pos.setX(-v.pos.x());
        v.bulge = -v.bulge;
    }
    p->vertices.push_back(v);
}

void DxfEntityReader::appendAttribute(Entity& insert, const std::vector<Group>& gs)
{
    for (size_t i = 1; i < gs.size(); ++i)
        if (gs[i].code == 70 && (gs[i].toInt() & 1))
            return; // invisible attribute
    if (!insert.attributes)
        insert.attributes = std::make_shared<AttributeList>();
    insert.attributes->push_back(readText(gs));
}

} // namespace cad::dxf
