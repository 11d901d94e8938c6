#include "DxfEntityReader.h"

#include "DxfGroupValues.h"

#include <cmath>

namespace cad::dxf {

namespace {

// Group 101 starts an embedded object (MTEXT columns of R2018) whose groups
// reuse the entity's codes; nothing after it belongs to the entity proper.
constexpr int kEmbeddedObject = 101;

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

} // namespace

const std::unordered_map<std::string_view, DxfEntityReader::Kind>& DxfEntityReader::kinds()
{
    using R = DxfEntityReader;
    using T = EntityType;
    static const std::unordered_map<std::string_view, Kind> table = {
        {"LINE", {T::Line, &R::readLine, false}},
        {"LWPOLYLINE", {T::LwPolyline, &R::readLwPolyline, true}},
        {"POLYLINE", {T::Polyline, &R::readPolyline, true}},
        {"CIRCLE", {T::Circle, &R::readCircle, true}},
        {"ARC", {T::Arc, &R::readArc, true}},
        {"ELLIPSE", {T::Ellipse, &R::readEllipse, false}},
        {"SPLINE", {T::Spline, &R::readSpline, false}},
        {"POINT", {T::Point, &R::readPoint, false}},
        {"SOLID", {T::Solid, &R::readQuad, true}},
        {"TRACE", {T::Trace, &R::readQuad, true}},
        {"3DFACE", {T::Face3d, &R::readQuad, false}}, // in world coordinates
        {"LEADER", {T::Leader, &R::readLeader, false}},
        {"TEXT", {T::Text, &R::readText, true}},
        {"ATTRIB", {T::Text, &R::readAttribute, true}},
        {"ATTDEF", {T::AttributeDefinition, &R::readAttributeDefinition, true}},
        {"MTEXT", {T::MText, &R::readMText, false}},
        {"HATCH", {T::Hatch, &R::readHatch, true}},
        {"MPOLYGON", {T::MPolygon, &R::readMPolygon, true}},
        {"INSERT", {T::Insert, &R::readInsert, true}},
        {"DIMENSION", {T::Dimension, &R::readDimension, false}},
        // Dimensions of their own kinds, drawn like any dimension by their block.
        {"ARC_DIMENSION", {T::Dimension, &R::readDimension, false}},
        {"LARGE_RADIAL_DIMENSION", {T::Dimension, &R::readDimension, false}},
        {"ACAD_TABLE", {T::Table, &R::readTable, false}},
        {"VIEWPORT", {T::Viewport, &R::readViewport, false}},
        {"MESH", {T::Mesh, &R::readMesh, false}},
        {"MLINE", {T::MLine, &R::readMLine, false}},
        {"MULTILEADER", {T::MultiLeader, &R::readMultiLeader, false}},
        {"MLEADER", {T::MultiLeader, &R::readMultiLeader, false}},
        {"IMAGE", {T::Image, &R::readImage, false}},
        {"WIPEOUT", {T::Wipeout, &R::readWipeout, false}},
        {"XLINE", {T::XLine, &R::readInfiniteLine, false}},
        {"RAY", {T::Ray, &R::readInfiniteLine, false}},
    };
    return table;
}

DxfEntityReader::DxfEntityReader(Drawing& drawing, DxfText& text)
    : m_drawing(drawing), m_text(text)
{
    m_layerZero = m_drawing.names.intern(QStringLiteral("0"));
}

NameId DxfEntityReader::nameId(std::string_view raw)
{
    raw = trimmedName(raw);
    if (const std::optional<NameId> known = m_nameIds.find(raw))
        return *known;
    const NameId id = m_drawing.names.intern(m_text.decode(raw));
    m_nameIds.insert(raw, id);
    return id;
}

const QString& DxfEntityReader::sharedText(std::string_view raw)
{
    auto it = m_sharedTexts.find(raw);
    if (it == m_sharedTexts.end())
        it = m_sharedTexts.emplace(std::string(raw), m_text.decode(raw)).first;
    return it->second;
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
    case 5: {
        const std::uint64_t handle = handleValue(g.value);
        e.handle = handle <= UINT32_MAX ? std::uint32_t(handle) : 0;
        break;
    }
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
    const std::string_view typeName = trimmedName(gs.front().value);
    size_t end = gs.size();
    for (size_t i = 1; i < gs.size(); ++i)
        if (gs[i].code == kEmbeddedObject || gs[i].code >= 1000) { end = i; break; }
    for (size_t i = 1; i < end; ++i)
        readCommon(gs[i], e);
    if (e.layer == kNoName)
        e.layer = m_layerZero;

    EntityGroups in{gs, end};
    const auto kind = kinds().find(typeName);
    if (kind != kinds().end()) {
        e.type = kind->second.type;
        if (kind->second.followsOcs)
            for (size_t i = 1; i < end && !in.mirrored; ++i)
                in.mirrored = gs[i].code == 230 && gs[i].toDouble() < 0;
        e.geometry = (this->*kind->second.reader)(in);
    }
    // What we cannot draw ourselves, we draw as the writing application did.
    if (std::holds_alternative<std::monostate>(e.geometry) && e.type != EntityType::Viewport) {
        e.geometry = readProxyGraphics(in);
        if (std::holds_alternative<std::monostate>(e.geometry))
            m_drawing.readNotes.note(QString::fromLatin1(typeName.data(), qsizetype(typeName.size())),
                                     kind == kinds().end()
                                         ? QStringLiteral("no reader for this kind and no proxy graphics")
                                         : QStringLiteral("nothing to draw in its groups"));
    }
    if (in.mirrored)
        mirrorX(e);
    return e;
}

} // namespace cad::dxf
