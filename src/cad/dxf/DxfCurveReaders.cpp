// The readers of lines and curves: LINE, LWPOLYLINE, POLYLINE with its
// VERTEX records, CIRCLE, ARC, ELLIPSE, SPLINE, POINT, SOLID, TRACE, 3DFACE
// and LEADER.

#include "DxfEntityReader.h"
#include "DxfGroupValues.h"

#include <algorithm>

namespace cad::dxf {

Geometry DxfEntityReader::readLine(EntityGroups& in)
{
    LineGeom l;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 10: setX(l.start, g); break;
        case 20: setY(l.start, g); break;
        case 11: setX(l.end, g); break;
        case 21: setY(l.end, g); break;
        }
    }
    return l;
}

Geometry DxfEntityReader::readLwPolyline(EntityGroups& in)
{
    PolylineGeom p;
    // One vertex a group 10: reserved exactly, not grown by doubling.
    p.vertices.reserve(size_t(std::count_if(in.all.begin() + 1, in.all.begin() + std::ptrdiff_t(in.end),
                                            [](const Group& g) { return g.code == 10; })));
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 70: p.closed = g.toInt() & 1; p.continuousPattern = g.toInt() & 128; break;
        case 43: p.constantWidth = g.toDouble(); break;
        case 10: p.vertices.push_back({QPointF(g.toDouble(), 0)}); break;
        case 20: if (!p.vertices.empty()) setY(p.vertices.back().pos, g); break;
        case 40: if (!p.vertices.empty()) p.vertices.back().startWidth = g.toDouble(); break;
        case 41: if (!p.vertices.empty()) p.vertices.back().endWidth = g.toDouble(); break;
        case 42: if (!p.vertices.empty()) p.vertices.back().bulge = g.toDouble(); break;
        }
    }
    return p;
}

Geometry DxfEntityReader::readPolyline(EntityGroups& in)
{
    PolylineGeom p;
    double w0 = 0, w1 = 0;
    std::int64_t flags = 0, m = 0, n = 0, smoothM = 0, smoothN = 0;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 70: flags = g.toInt(); break;
        case 40: w0 = g.toDouble(); break;
        case 41: w1 = g.toDouble(); break;
        case 71: m = g.toInt(); break;
        case 72: n = g.toInt(); break;
        case 73: smoothM = g.toInt(); break;
        case 74: smoothN = g.toInt(); break;
        }
    }
    p.closed = flags & 1;
    p.continuousPattern = flags & 128;
    if (w0 == w1) p.constantWidth = w0;
    // 3D polylines and meshes (flags 8, 16, 64) are in world coordinates.
    if (flags & (8 | 16 | 64)) in.mirrored = false;
    // A curve- or spline-fitted polyline shows its fitted vertices; its
    // frame (the control points) is not drawn.
    m_polylineFitted = flags & (2 | 4);
    m_polylineMirrored = in.mirrored;
    if ((flags & 16) && (flags & 4) && smoothM > 1 && smoothN > 1) {
        m = smoothM; // a smoothed surface: its fitted grid
        n = smoothN;
    }
    if (flags & (16 | 64))
        return startMeshPolyline(flags, m, n);
    return p;
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

Geometry DxfEntityReader::readCircle(EntityGroups& in)
{
    CircleGeom c;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 10: setX(c.center, g); break;
        case 20: setY(c.center, g); break;
        case 40: c.radius = std::abs(g.toDouble()); break;
        }
    }
    return c;
}

Geometry DxfEntityReader::readArc(EntityGroups& in)
{
    ArcGeom a;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        switch (g.code) {
        case 10: setX(a.center, g); break;
        case 20: setY(a.center, g); break;
        case 40: a.radius = std::abs(g.toDouble()); break;
        case 50: a.startAngle = g.toDouble(); break;
        case 51: a.endAngle = g.toDouble(); break;
        }
    }
    return a;
}

Geometry DxfEntityReader::readEllipse(EntityGroups& in)
{
    EllipseGeom el;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
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
    return el;
}

Geometry DxfEntityReader::readSpline(EntityGroups& in)
{
    SplineGeom s;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
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
    return s;
}

Geometry DxfEntityReader::readPoint(EntityGroups& in)
{
    PointGeom p;
    for (size_t i = 1; i < in.end; ++i) {
        if (in.all[i].code == 10) setX(p.pos, in.all[i]);
        else if (in.all[i].code == 20) setY(p.pos, in.all[i]);
    }
    return p;
}

/// SOLID, TRACE and 3DFACE: three or four corners.
Geometry DxfEntityReader::readQuad(EntityGroups& in)
{
    QuadGeom q;
    bool has13 = false;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        if (g.code >= 10 && g.code <= 13) { q.corners[size_t(g.code - 10)].setX(g.toDouble()); has13 |= g.code == 13; }
        else if (g.code >= 20 && g.code <= 23) q.corners[size_t(g.code - 20)].setY(g.toDouble());
    }
    if (!has13) q.corners[3] = q.corners[2]; // a triangle
    return q;
}

Geometry DxfEntityReader::readLeader(EntityGroups& in)
{
    LeaderGeom l;
    for (size_t i = 1; i < in.end; ++i) {
        const Group& g = in.all[i];
        if (g.code == 10) l.vertices.push_back({g.toDouble(), 0});
        else if (g.code == 20 && !l.vertices.empty()) l.vertices.back().setY(g.toDouble());
        else if (g.code == 71) l.arrowhead = g.toInt() != 0;
    }
    return l;
}

} // namespace cad::dxf
