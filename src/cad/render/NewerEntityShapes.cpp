// How the frontend draws the entities that are made of others: meshes,
// multilines, multileaders, image and wipeout frames, endless lines and the
// proxy graphics of custom objects. Where a part looks like an entity of its
// own (a leader's text, a multiline's element, a proxy's circle), it is drawn
// as that entity, so it follows the same colours, layers and line styles.

#include "cad/Extents.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/LineClip.h"
#include "cad/text/TextLayout.h"

#include <cmath>

namespace cad::render {

namespace {

constexpr QRgb white = 0xFFFFFFFF;

Entity partOf(const Entity& owner, Geometry geometry, EntityType type)
{
    Entity part;
    part.type = type;
    part.layer = owner.layer;
    part.color = color::kByBlock; // the owner's colour unless the part says otherwise
    part.linetype = owner.linetype;
    part.layout = owner.layout;
    part.geometry = std::move(geometry);
    return part;
}

PolylineGeom polylineOf(const std::vector<QPointF>& points, bool closed)
{
    PolylineGeom p;
    p.closed = closed;
    p.vertices.reserve(points.size());
    for (const QPointF& q : points)
        p.vertices.push_back({q});
    return p;
}

/// The frame round a multileader's text: the box the text is laid out in,
/// the landing gap clear of it all round.
PolylineGeom textFrameOf(const MultiLeaderContent& c)
{
    const MTextGeom& g = c.text;
    const double h = std::abs(g.height) > 0 ? std::abs(g.height) : 1;
    const text::MTextLayout layout =
        text::layoutMText(text::parseMText(g.text, h), h, g.width, g.lineSpacing, g.attachment);
    const double gap = std::isfinite(c.frameGap) ? std::abs(c.frameGap) : 0;
    const double x0 = layout.left - gap, x1 = layout.left + layout.width + gap;
    const double y0 = layout.top - layout.height - gap, y1 = layout.top + gap;
    const QTransform frame = text::mtextFrame(g);
    PolylineGeom box;
    box.closed = true;
    for (const QPointF& p : {QPointF(x0, y0), QPointF(x1, y0), QPointF(x1, y1), QPointF(x0, y1)})
        box.vertices.push_back({frame.map(p)});
    return box;
}

} // namespace

void DrawingFrontend::setFrame(const QRectF& world)
{
    m_frame = world;
}

const QRectF& DrawingFrontend::frame()
{
    if (!m_frame)
        m_frame = modelExtents(m_drawing).value_or(QRectF(0, 0, 1, 1));
    return *m_frame;
}

void DrawingFrontend::drawArrowhead(QPointF tip, QPointF from, double size, const Style& style)
{
    // A closed filled arrow, three times as long as it is wide.
    const QPointF d = tip - from;
    const double length = std::hypot(d.x(), d.y());
    if (!(length > 0) || !(size > 0))
        return;
    const QPointF u = d / length, n(-u.y(), u.x());
    const QPointF base = tip - u * size;
    m_backend->fillPolygons({{tip, base + n * size / 6, base - n * size / 6}}, style);
}

void DrawingFrontend::drawMesh(const MeshGeom& mesh, const QTransform& transform, const Style& style)
{
    for (const auto& edge : mesh.edges)
        if (edge[0] < mesh.vertices.size() && edge[1] < mesh.vertices.size())
            emitPolyline({mesh.vertices[edge[0]], mesh.vertices[edge[1]]}, false, transform, style);
}

void DrawingFrontend::drawMLine(const Entity& entity, const MLineGeom& mline, const QTransform& transform,
                                const BlockContext& inner, int depth)
{
    const MLineStyle* style = m_drawing.mlineStyle(mline.style);
    auto partStyle = [&](Entity& part, std::size_t element) {
        if (!style || element >= style->elements.size())
            return;
        const MLineStyle::Element& e = style->elements[element];
        part.color = e.color;
        if (!e.linetype.isEmpty() && e.linetype.compare(QLatin1String("BYLAYER"), Qt::CaseInsensitive) != 0)
            if (auto id = m_drawing.names.find(e.linetype))
                part.linetype = *id;
    };
    for (std::size_t k = 0; k < mline.elements.size(); ++k) {
        if (mline.elements[k].size() < 2)
            continue;
        Entity part = partOf(entity, polylineOf(mline.elements[k], mline.closed), EntityType::LwPolyline);
        partStyle(part, k);
        drawEntity(part, transform, inner, depth + 1);
    }
    // Caps join the outermost elements at the ends of an open multiline.
    if (!style || mline.closed || mline.elements.size() < 2)
        return;
    const auto& first = mline.elements.front();
    const auto& last = mline.elements.back();
    if (first.empty() || last.empty())
        return;
    auto cap = [&](QPointF a, QPointF b, bool round, QPointF outward) {
        if (round) {
            const QPointF centre = (a + b) / 2, r = a - centre;
            const double radius = std::hypot(r.x(), r.y());
            double a0 = std::atan2(r.y(), r.x()) * 180 / M_PI;
            // The half circle on the side the line leaves by.
            const QPointF mid = centre + QPointF(-r.y(), r.x());
            if (QPointF::dotProduct(mid - centre, outward) < 0)
                a0 += 180;
            drawEntity(partOf(entity, ArcGeom{centre, radius, a0, a0 + 180}, EntityType::Arc), transform, inner,
                       depth + 1);
        } else {
            drawEntity(partOf(entity, LineGeom{a, b}, EntityType::Line), transform, inner, depth + 1);
        }
    };
    const QPointF startOut = first.size() >= 2 ? first[0] - first[1] : QPointF();
    const QPointF endOut = first.size() >= 2 ? first.back() - first[first.size() - 2] : QPointF();
    if (style->flags & (16 | 64))
        cap(first.front(), last.front(), style->flags & 64, startOut);
    if (style->flags & (256 | 1024))
        cap(first.back(), last.back(), style->flags & 1024, endOut);
}

void DrawingFrontend::drawMultiLeader(const Entity& entity, const MultiLeaderGeom& leader,
                                      const QTransform& transform, const Style& style, const BlockContext& inner,
                                      int depth)
{
    if (!leader.content)
        return;
    const MultiLeaderContent& c = *leader.content;
    for (const auto& line : c.leaders) {
        drawEntity(partOf(entity, polylineOf(line, false), EntityType::LwPolyline), transform, inner, depth + 1);
        if (line.size() >= 2 && c.arrowSize > 0)
            drawArrowhead(transform.map(line[0]), transform.map(line[1]),
                          c.arrowSize * std::sqrt(std::abs(transform.determinant())), style);
    }
    if (c.hasText) {
        drawEntity(partOf(entity, c.text, EntityType::MText), transform, inner, depth + 1);
        if (c.textFrame)
            drawEntity(partOf(entity, textFrameOf(c), EntityType::LwPolyline), transform, inner, depth + 1);
    }
    if (c.block != kNoName) {
        InsertGeom insert;
        insert.block = c.block;
        insert.insert = c.blockPosition;
        insert.scaleX = c.blockScaleX;
        insert.scaleY = c.blockScaleY;
        insert.rotation = c.blockRotation;
        drawEntity(partOf(entity, insert, EntityType::Insert), transform, inner, depth + 1);
    }
}

void DrawingFrontend::drawImageFrame(const Entity& entity, const ImageFrameGeom& frame, const QTransform& transform,
                                     const Style& style)
{
    if (frame.outline.size() < 3)
        return;
    if (entity.type == EntityType::Wipeout) {
        // A wipeout covers with the paper's colour what its layer drew before it.
        std::vector<QPointF> outline = frame.outline;
        for (QPointF& p : outline)
            p = transform.map(p);
        Style paper = style;
        paper.colour = white;
        m_backend->fillPolygons({outline}, paper);
    } else {
        m_notes.note(QStringLiteral("IMAGE"), QStringLiteral("the raster image itself is not drawn, only its frame"));
    }
    emitPolyline(frame.outline, true, transform, style);
}

void DrawingFrontend::drawInfiniteLine(const Entity& entity, const InfiniteLineGeom& line,
                                       const QTransform& transform, const Style& style)
{
    // Endless lines reach the picture's edges; the frame does not grow for them.
    const QPointF base = transform.map(line.base);
    const QPointF direction = transform.map(line.base + line.direction) - base;
    if (direction.isNull())
        return;
    QPointF a, b;
    const double tMin = entity.type == EntityType::Ray ? 0.0 : -std::numeric_limits<double>::infinity();
    if (clipLineToBox(base, direction, tMin, std::numeric_limits<double>::infinity(), frame(), a, b))
        m_backend->drawPolyline({a, b}, false, style);
}

void DrawingFrontend::drawProxy(const Entity& entity, const ProxyGeom& proxy, const QTransform& transform,
                                const BlockContext& inner, int depth)
{
    if (!proxy.primitives)
        return;
    for (const ProxyPrimitive& p : *proxy.primitives) {
        Entity part;
        switch (p.kind) {
        case ProxyPrimitive::Kind::Polyline: {
            PolylineGeom g;
            g.vertices = p.vertices;
            g.closed = p.closed;
            part = partOf(entity, std::move(g), EntityType::LwPolyline);
            break;
        }
        case ProxyPrimitive::Kind::Fill: {
            HatchGeom g;
            g.solidFill = true;
            g.loops.push_back({p.vertices});
            part = partOf(entity, std::move(g), EntityType::Hatch);
            break;
        }
        case ProxyPrimitive::Kind::Circle:
            part = partOf(entity, CircleGeom{p.arc.center, p.arc.radius}, EntityType::Circle);
            break;
        case ProxyPrimitive::Kind::Arc:
            part = partOf(entity, p.arc, EntityType::Arc);
            break;
        case ProxyPrimitive::Kind::Text:
            part = partOf(entity, p.text, EntityType::Text);
            break;
        }
        part.color = p.color;
        part.trueColor = p.trueColor;
        if (p.layer != kNoName)
            part.layer = p.layer;
        if (p.linetype != kNoName)
            part.linetype = p.linetype;
        drawEntity(part, transform, inner, depth + 1);
    }
}

} // namespace cad::render
