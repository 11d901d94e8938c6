#include "cad/render/DrawingFrontend.h"
#include "cad/render/GradientFill.h"

#include "cad/Extents.h"
#include "cad/Curves.h"
#include "cad/render/HatchPattern.h"
#include "cad/render/WidePolyline.h"
#include "cad/text/TextLayout.h"

#include <cmath>

namespace cad::render {

namespace {

constexpr int maximumBlockDepth = 16;
/// An array insert larger than this is drawn only in its first cells.
constexpr int maximumArrayCells = 10000;

double scaleOf(const QTransform& t)
{
    return std::sqrt(std::abs(t.determinant()));
}

/// True when the transform keeps circles circles (rotation, uniform scale, mirror).
bool isSimilarity(const QTransform& t)
{
    const double a = t.m11(), b = t.m12(), c = t.m21(), d = t.m22();
    const double eps = 1e-9 * std::max({std::abs(a), std::abs(b), std::abs(c), std::abs(d), 1e-300});
    return (std::abs(a - d) <= eps && std::abs(b + c) <= eps) || (std::abs(a + d) <= eps && std::abs(b - c) <= eps);
}

/// Calls `draw` for each entity in the order the drawing stores for them
/// (file order when it stores none).
template <typename Draw>
void inDrawOrder(const std::vector<Entity>& entities, const std::vector<std::uint32_t>& order, Draw draw)
{
    if (order.size() != entities.size()) {
        for (const Entity& entity : entities)
            draw(entity);
        return;
    }
    for (std::uint32_t index : order)
        draw(entities[index]);
}

} // namespace

DrawingFrontend::DrawingFrontend(const Drawing& drawing, const std::vector<LayerRecord>& layers, double tolerance,
                                 std::size_t primitiveBudget)
    : m_drawing(drawing), m_resolver(drawing, layers), m_tolerance(tolerance > 0 ? tolerance : 1e-3),
      m_budgetLimit(primitiveBudget), m_extents(drawing)
{
}

void DrawingFrontend::drawModelSpace(RenderBackend& backend)
{
    PrimitiveBudget budget(backend, m_budgetLimit);
    m_backend = m_budget = &budget;
    m_skipped = 0;
    m_outlined = 0;
    m_stopped = false;
    m_notes.clear();
    const QTransform identity;
    const BlockContext top;
    inDrawOrder(m_drawing.entities, m_drawing.drawOrder, [&](const Entity& entity) {
        if (entity.layout == kModelSpace)
            drawEntity(entity, identity, top, 0);
    });
    m_backend = m_budget = nullptr;
}

void DrawingFrontend::setLineweightScale(double drawingUnitsPerMillimetre)
{
    m_lineweightScale = drawingUnitsPerMillimetre > 0 && std::isfinite(drawingUnitsPerMillimetre)
                            ? drawingUnitsPerMillimetre
                            : 0;
}

std::optional<DashPattern> DrawingFrontend::dashesFor(const QTransform& transform) const
{
    if (!m_pattern)
        return std::nullopt;
    // The pattern is laid in the block's own units, so it scales with the insert.
    DashPattern pattern(*m_pattern, m_patternScale * scaleOf(transform),
                        std::atan2(transform.m12(), transform.m11()) * 180.0 / M_PI);
    if (pattern.isContinuous() || pattern.period() < minimumPatternPeriod * m_tolerance)
        return std::nullopt;
    return pattern;
}

void DrawingFrontend::emitPolyline(std::vector<QPointF> points, bool closed, const QTransform& transform,
                                   const Style& style)
{
    if (points.empty())
        return;
    if (!transform.isIdentity())
        for (QPointF& p : points)
            p = transform.map(p);
    const std::optional<DashPattern> pattern = dashesFor(transform);
    if (!pattern) {
        m_backend->drawPolyline(points, closed, style);
        return;
    }
    if (closed && points.size() > 2)
        points.push_back(points.front());
    DashedStroke stroke;
    dashPolyline(points, *pattern, stroke);
    for (const auto& dash : stroke.dashes)
        m_backend->drawPolyline(dash, false, style);
    for (const QPointF& dot : stroke.dots)
        m_backend->drawPoint(dot, style);
    for (const PlacedText& placed : stroke.texts) {
        TextRun run;
        run.position = placed.position;
        run.height = placed.height;
        run.rotationDegrees = placed.rotationDegrees;
        run.text = placed.text;
        if (placed.upright && std::cos(placed.rotationDegrees * M_PI / 180.0) < -1e-9) {
            // Turned round about its middle, so that it reads left to right.
            const double a = placed.rotationDegrees * M_PI / 180.0;
            const QPointF along(std::cos(a), std::sin(a)), up(-std::sin(a), std::cos(a));
            run.position += along * text::textWidth(placed.text, placed.height) + up * placed.height;
            run.rotationDegrees += 180;
        }
        m_backend->drawText(run, style);
    }
}

void DrawingFrontend::emitArc(QPointF centre, double radius, double startDegrees, double sweepDegrees,
                              const QTransform& transform, const Style& style, double localTolerance)
{
    if (!isSimilarity(transform) || dashesFor(transform)) {
        emitPolyline(flattenArc(centre, radius, startDegrees, startDegrees + sweepDegrees, localTolerance), false,
                     transform, style);
        return;
    }
    const QPointF c = transform.map(centre);
    // A mirror turns the arc round: it then starts where it ended.
    const double from = (transform.determinant() < 0 ? startDegrees + sweepDegrees : startDegrees) * M_PI / 180.0;
    const QPointF d = transform.map(centre + QPointF(std::cos(from), std::sin(from))) - c;
    m_backend->drawArc(c, radius * scaleOf(transform), std::atan2(d.y(), d.x()) * 180.0 / M_PI, sweepDegrees,
                       m_tolerance, style);
}

void DrawingFrontend::drawPolyline(const PolylineGeom& g, const QTransform& transform, const Style& style,
                                   double localTolerance)
{
    if (hasWidth(g)) {
        // A polyline with widths is a filled shape, cut into its linetype's
        // dashes in its own units.
        std::optional<DashPattern> dashes;
        if (dashesFor(transform))
            dashes.emplace(*m_pattern, m_patternScale);
        const WidePolylineShapes shapes = widePolylineShapes(g, localTolerance, dashes ? &*dashes : nullptr);
        for (std::vector<QPointF> band : shapes.bands) {
            for (QPointF& p : band)
                p = transform.map(p);
            m_backend->fillPolygons({band}, style);
        }
        for (const auto& run : shapes.thinRuns)
            emitPolyline(run, false, transform, style);
        return;
    }
    const bool bulges = std::any_of(g.vertices.begin(), g.vertices.end(), [](const PolyVertex& v) { return v.bulge != 0; });
    if (bulges && isSimilarity(transform) && !dashesFor(transform)) {
        // Straight runs as polylines, arc segments as true arcs.
        std::vector<QPointF> run{g.vertices.front().pos};
        const std::size_t segments = g.closed ? g.vertices.size() : g.vertices.size() - 1;
        for (std::size_t i = 0; i < segments; ++i) {
            const QPointF to = g.vertices[(i + 1) % g.vertices.size()].pos;
            if (const std::optional<BulgeArc> arc = bulgeArc(g.vertices[i].pos, to, g.vertices[i].bulge)) {
                if (run.size() >= 2)
                    emitPolyline(run, false, transform, style);
                const double start = arc->startAngle * 180.0 / M_PI, sweep = arc->sweep * 180.0 / M_PI;
                // A clockwise segment is the counterclockwise arc from its end.
                emitArc(arc->centre, arc->radius, sweep > 0 ? start : start + sweep, std::abs(sweep), transform, style,
                        localTolerance);
                run.assign(1, to);
            } else {
                run.push_back(to);
            }
        }
        if (run.size() >= 2)
            emitPolyline(run, false, transform, style);
        return;
    }
    if (g.continuousPattern || g.vertices.size() < 2 || !dashesFor(transform)) {
        emitPolyline(flattenBulges(g.vertices, g.closed, localTolerance), false, transform, style);
        return;
    }
    // The pattern starts anew at every vertex.
    const std::size_t segments = g.closed ? g.vertices.size() : g.vertices.size() - 1;
    for (std::size_t i = 0; i < segments; ++i)
        emitPolyline(flattenBulges({g.vertices[i], g.vertices[(i + 1) % g.vertices.size()]}, false, localTolerance),
                     false, transform, style);
}

void DrawingFrontend::drawHatch(const Entity& entity, const HatchGeom& g, const QTransform& transform, Style style,
                                double localTolerance)
{
    std::vector<std::vector<QPointF>> loops;
    std::vector<std::int32_t> flags;
    for (const HatchLoop& loop : g.loops) {
        std::vector<QPointF> points = flattenBulges(loop.vertices, true, localTolerance);
        if (points.size() >= 2) {
            loops.push_back(std::move(points));
            flags.push_back(loop.flags);
        }
    }
    auto mapped = [&transform](std::vector<std::vector<QPointF>> polygons) {
        for (auto& polygon : polygons)
            for (QPointF& p : polygon)
                p = transform.map(p);
        return polygons;
    };
    // MPOLYGON draws every loop and shows its boundary as lines as well.
    const bool mpolygon = entity.type == EntityType::MPolygon;
    const std::vector<std::vector<QPointF>> area = mpolygon ? loops : loopsForStyle(loops, flags, g.style);

    Style fillStyle = style;
    if (g.fillColour >= 0)
        fillStyle.colour = 0xFF000000u | QRgb(g.fillColour & 0xFFFFFF);
    else if (g.fillColourIndex > 0 && g.fillColourIndex < 256 && (g.gradient || mpolygon))
        fillStyle.colour = m_resolver.colourOfIndex(g.fillColourIndex);
    if (fillStyle.colour == 0xFFFFFFFFu)
        fillStyle.colour = 0xFF000000u; // white is drawn black on the white picture

    bool filled = false;
    if (g.gradient && (g.secondColour >= 0 || g.oneColourGradient) && !area.empty()) {
        drawGradient(g, mapped(area), fillStyle);
        filled = true;
    } else if (g.solidFill || g.gradient) {
        if (!area.empty())
            m_backend->fillPolygons(mapped(area), fillStyle);
        filled = true;
    } else if (!g.patternLines.empty()) {
        const PatternFill pattern = clipPatternLines(g.patternLines, area);
        if (pattern.tooDense) {
            // Lines packed that tightly look like a solid fill, and are drawn so.
            if (!area.empty())
                m_backend->fillPolygons(mapped(area), style);
        } else {
            for (std::vector<QPointF> dash : pattern.stroke.dashes) {
                for (QPointF& p : dash)
                    p = transform.map(p);
                m_backend->drawPolyline(dash, false, style);
            }
            for (const QPointF& dot : pattern.stroke.dots)
                m_backend->drawPoint(transform.map(dot), style);
        }
        filled = true;
    }
    // A pattern hatch that stores no pattern lines shows its boundaries.
    if (!filled || mpolygon)
        for (const auto& loop : mapped(loops))
            m_backend->drawPolyline(loop, true, style);
}

void DrawingFrontend::drawGradient(const HatchGeom& g, const std::vector<std::vector<QPointF>>& area,
                                   const Style& first)
{
    // A one-colour gradient runs to grey of its tint, as the CAD shows it.
    const int grey = int(std::lround(double(g.tint) * 255));
    const QRgb second = g.oneColourGradient ? qRgb(grey, grey, grey) : 0xFF000000u | QRgb(g.secondColour & 0xFFFFFF);
    for (const GradientBand& band :
         gradientBands(area, gradientKindNamed(g.gradientName), g.gradientAngle, first.colour, second)) {
        Style style = first;
        style.colour = band.colour;
        m_backend->fillPolygons(band.loops, style);
    }
}

void DrawingFrontend::drawEntity(const Entity& entity, const QTransform& transform, const BlockContext& context,
                                 int depth)
{
    if (m_stop && (m_stopped || m_stop->load(std::memory_order_relaxed))) {
        m_stopped = true;
        return;
    }
    const ResolvedProperties resolved = m_resolver.resolve(entity, context);
    // An insert on a layer that is off still shows the entities of its block
    // that lie on other layers; only a frozen layer hides the whole block.
    if (const auto* insert = std::get_if<InsertGeom>(&entity.geometry)) {
        drawInsert(entity, *insert, transform, resolved, context, depth);
        return;
    }
    // Proxy graphics draw on their own layers like a block's entities.
    if (const auto* proxy = std::get_if<ProxyGeom>(&entity.geometry)) {
        if (!m_resolver.layerFrozen(resolved.layer) && depth < maximumBlockDepth)
            drawProxy(entity, *proxy, transform, BlockContext{resolved.layer, resolved.colour, true, resolved.linetype, resolved.lineweight}, depth);
        return;
    }
    if (!resolved.visible)
        return;
    Style style{resolved.colour, 0, resolved.layer};
    if (m_lineweightScale > 0 && m_drawing.lineweightDisplay)
        style.width = resolved.lineweight / 100.0 * m_lineweightScale;
    const double localTolerance = m_tolerance / std::max(scaleOf(transform), 1e-12);
    // This entity's linetype, for every stroke it makes; put back afterwards
    // for the entity whose block this one may be part of.
    const LinetypePattern* outerPattern = m_pattern;
    const double outerScale = m_patternScale;
    m_pattern = resolved.linetype >= 0 ? &m_drawing.linetypePatterns[std::size_t(resolved.linetype)] : nullptr;
    m_patternScale = resolved.linetypeScale;
    struct Restore {
        DrawingFrontend& frontend;
        const LinetypePattern* pattern;
        double scale;
        ~Restore() { frontend.m_pattern = pattern; frontend.m_patternScale = scale; }
    } restore{*this, outerPattern, outerScale};

    std::visit(
        [&](const auto& g) {
            using G = std::decay_t<decltype(g)>;
            if constexpr (std::is_same_v<G, LineGeom>) {
                emitPolyline({g.start, g.end}, false, transform, style);
            } else if constexpr (std::is_same_v<G, PolylineGeom>) {
                drawPolyline(g, transform, style, localTolerance);
            } else if constexpr (std::is_same_v<G, CircleGeom>) {
                if (isSimilarity(transform) && !dashesFor(transform))
                    m_backend->drawCircle(transform.map(g.center), g.radius * scaleOf(transform), style);
                else
                    emitPolyline(flattenArc(g.center, g.radius, 0, 360, localTolerance), true, transform, style);
            } else if constexpr (std::is_same_v<G, ArcGeom>) {
                double sweep = std::fmod(g.endAngle - g.startAngle, 360.0);
                if (sweep <= 1e-9)
                    sweep += 360.0; // equal angles make a full turn
                emitArc(g.center, g.radius, g.startAngle, sweep, transform, style, localTolerance);
            } else if constexpr (std::is_same_v<G, EllipseGeom>) {
                emitPolyline(flattenEllipse(g, localTolerance), false, transform, style);
            } else if constexpr (std::is_same_v<G, SplineGeom>) {
                emitPolyline(flattenSpline(g, localTolerance), false, transform, style);
            } else if constexpr (std::is_same_v<G, PointGeom>) {
                m_backend->drawPoint(transform.map(g.pos), style);
            } else if constexpr (std::is_same_v<G, QuadGeom>) {
                const auto& c = g.corners;
                if (entity.type == EntityType::Face3d) {
                    emitPolyline({c[0], c[1], c[2], c[3]}, true, transform, style);
                } else {
                    // SOLID and TRACE corners run 0-1-3-2 around the outline.
                    std::vector<QPointF> outline{c[0], c[1], c[3], c[2]};
                    for (QPointF& p : outline)
                        p = transform.map(p);
                    m_backend->fillPolygons({outline}, style);
                }
            } else if constexpr (std::is_same_v<G, HatchGeom>) {
                drawHatch(entity, g, transform, style, localTolerance);
            } else if constexpr (std::is_same_v<G, TextGeom>) {
                drawText(g, transform, style);
            } else if constexpr (std::is_same_v<G, MTextGeom>) {
                drawMText(g, transform, style);
            } else if constexpr (std::is_same_v<G, DimensionGeom>) {
                // A dimension's look is its block, drawn where it stands,
                // taking the dimension's layer and colour like an insert.
                drawBlock(g.block, transform,
                          BlockContext{resolved.layer, resolved.colour, true, resolved.linetype, resolved.lineweight},
                          depth + 1);
            } else if constexpr (std::is_same_v<G, LeaderGeom>) {
                emitPolyline(g.vertices, false, transform, style);
                if (g.arrowhead && g.vertices.size() >= 2) {
                    const QPointF tip = transform.map(g.vertices[0]);
                    const QPointF from = transform.map(g.vertices[1]);
                    const QPointF d = tip - from;
                    const double length = std::hypot(d.x(), d.y());
                    if (length > 0) {
                        drawArrowhead(tip, from, std::min(length * 0.3, m_tolerance * 400), style);
                    }
                }
            } else if constexpr (std::is_same_v<G, MeshGeom>) {
                drawMesh(g, transform, style);
            } else if constexpr (std::is_same_v<G, MLineGeom>) {
                drawMLine(entity, g, transform, BlockContext{resolved.layer, resolved.colour, true, resolved.linetype, resolved.lineweight}, depth);
            } else if constexpr (std::is_same_v<G, MultiLeaderGeom>) {
                drawMultiLeader(entity, g, transform, style, BlockContext{resolved.layer, resolved.colour, true, resolved.linetype, resolved.lineweight},
                                depth);
            } else if constexpr (std::is_same_v<G, ImageFrameGeom>) {
                drawImageFrame(entity, g, transform, style);
            } else if constexpr (std::is_same_v<G, InfiniteLineGeom>) {
                drawInfiniteLine(entity, g, transform, style);
            } else {
                ++m_skipped; // viewports and entities without geometry
                // An attribute definition inside a block is never drawn with its insert.
                if (entity.type != EntityType::Viewport && entity.type != EntityType::AttributeDefinition)
                    m_notes.note(QStringLiteral("entity without geometry"),
                                 QStringLiteral("nothing readable to draw (the reader's notes name its kind)"));
            }
        },
        entity.geometry);
}

void DrawingFrontend::drawInsert(const Entity& entity, const InsertGeom& insert, const QTransform& transform,
                                 const ResolvedProperties& resolved, const BlockContext& context, int depth)
{
    if (m_resolver.layerFrozen(resolved.layer))
        return;
    const BlockContext inner{resolved.layer, resolved.colour, true, resolved.linetype, resolved.lineweight};
    if (const BlockDefinition* block = m_drawing.block(insert.block); block && depth < maximumBlockDepth) {
        if (m_budget->spent()) {
            drawOutline(insert, *block, transform, resolved);
            return;
        }
        const int columns = std::max<int>(1, insert.columns), rows = std::max<int>(1, insert.rows);
        int cells = 0;
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns && cells < maximumArrayCells; ++column, ++cells) {
                if (m_budget->spent()) {
                    drawOutline(insert, *block, transform, resolved); // the cells not drawn lie inside it
                    return;
                }
                const QTransform t = insertTransform(insert, block->basePoint, column, row) * transform;
                inDrawOrder(block->entities, block->drawOrder,
                            [&](const Entity& child) { drawEntity(child, t, inner, depth + 1); });
            }
    } else if (!m_drawing.block(insert.block)) {
        m_notes.note(QStringLiteral("INSERT"), QStringLiteral("block \"%1\" is not defined").arg(m_drawing.names.name(insert.block)));
    } else {
        m_notes.note(QStringLiteral("INSERT"), QStringLiteral("blocks nested more than %1 deep").arg(maximumBlockDepth));
    }
    if (entity.attributes)
        for (const Entity& attribute : *entity.attributes)
            drawEntity(attribute, transform, context, depth + 1);
}

void DrawingFrontend::drawOutline(const InsertGeom& insert, const BlockDefinition& block, const QTransform& transform,
                                  const ResolvedProperties& resolved)
{
    ++m_outlined;
    m_notes.note(QStringLiteral("block contents"),
                 QStringLiteral("the picture's primitive budget was spent: inserts drawn as outline boxes"));
    if (!resolved.visible)
        return;
    const std::vector<QPointF> box = insertOutline(insert, block.basePoint, m_extents.blockBox(block));
    emitPolyline(box, true, transform, Style{resolved.colour, 0, resolved.layer});
}

void DrawingFrontend::drawBlock(NameId blockId, const QTransform& transform, const BlockContext& inner, int depth)
{
    const BlockDefinition* block = m_drawing.block(blockId);
    if (!block || depth >= maximumBlockDepth)
        return;
    inDrawOrder(block->entities, block->drawOrder,
                [&](const Entity& child) { drawEntity(child, transform, inner, depth + 1); });
}

} // namespace cad::render
