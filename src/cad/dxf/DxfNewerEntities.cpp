// The entities that came with R13 and later (MESH, MLINE, MULTILEADER,
// IMAGE, WIPEOUT, XLINE, RAY), polyface and polygon-mesh POLYLINEs, and the
// proxy graphics any entity may carry.

#include "DxfEntityReader.h"
#include "DxfGroupValues.h"
#include "ProxyGraphics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace cad::dxf {

namespace {

/// No MESH, MLINE or MULTILEADER is read with more items than this.
constexpr std::int64_t kMaxItems = 1000000;

void addEdge(MeshGeom& mesh, std::int64_t a, std::int64_t b)
{
    const auto n = std::int64_t(mesh.vertices.size());
    if (a < 0 || b < 0 || a >= n || b >= n || a == b)
        return;
    mesh.edges.push_back({std::uint32_t(std::min(a, b)), std::uint32_t(std::max(a, b))});
}

std::string upperHandle(std::string_view v)
{
    std::string h;
    for (char c : v)
        if (c != ' ' && c != '\t')
            h += char(std::toupper(static_cast<unsigned char>(c)));
    return h;
}

void dropRepeatedEdges(MeshGeom& mesh)
{
    std::sort(mesh.edges.begin(), mesh.edges.end());
    mesh.edges.erase(std::unique(mesh.edges.begin(), mesh.edges.end()), mesh.edges.end());
}

} // namespace

Geometry DxfEntityReader::startMeshPolyline(std::int64_t flags, std::int64_t m, std::int64_t n)
{
    m_mesh = {};
    m_mesh.polyface = flags & 64;
    m_mesh.columns = std::clamp<std::int64_t>(n, 0, kMaxItems);
    m_mesh.rows = std::clamp<std::int64_t>(m, 0, kMaxItems);
    m_mesh.closedRows = flags & 1;    // closed in the M direction
    m_mesh.closedColumns = flags & 32; // closed in the N direction
    m_mesh.smoothed = flags & 4;
    return MeshGeom{};
}

void DxfEntityReader::appendMeshVertex(MeshGeom& mesh, const std::vector<Group>& gs)
{
    QPointF pos;
    std::int64_t flags = 0;
    std::array<std::int64_t, 4> face{};
    for (size_t i = 1; i < gs.size(); ++i) {
        const Group& g = gs[i];
        switch (g.code) {
        case 10: setX(pos, g); break;
        case 20: setY(pos, g); break;
        case 70: flags = g.toInt(); break;
        case 71: case 72: case 73: case 74: face[size_t(g.code - 71)] = g.toInt(); break;
        }
    }
    if ((flags & 16) && !m_mesh.polyface && m_mesh.smoothed)
        return; // the control frame of a smoothed surface
    if (m_mesh.polyface && (flags & 128) && !(flags & 64)) {
        // A face record: up to four 1-based vertex numbers; a negative number
        // hides the edge that starts at that vertex.
        std::vector<std::int64_t> corners;
        for (std::int64_t v : face)
            if (v != 0)
                corners.push_back(v);
        for (size_t k = 0; k < corners.size() && corners.size() >= 2; ++k) {
            const std::int64_t from = corners[k], to = corners[(k + 1) % corners.size()];
            if (from > 0)
                addEdge(mesh, from - 1, std::abs(to) - 1);
        }
        return;
    }
    if (mesh.vertices.size() >= size_t(kMaxItems))
        return;
    mesh.vertices.push_back(pos);
    if (m_mesh.polyface || m_mesh.columns <= 0)
        return;
    // A polygon mesh: M rows of N vertices, joined along rows and columns.
    const auto k = std::int64_t(mesh.vertices.size()) - 1;
    const std::int64_t n = m_mesh.columns, row = k / n, column = k % n;
    if (column > 0)
        addEdge(mesh, k - 1, k);
    if (row > 0)
        addEdge(mesh, k - n, k);
    if (m_mesh.closedColumns && column == n - 1 && n > 2)
        addEdge(mesh, k - column, k);
    if (m_mesh.closedRows && row == m_mesh.rows - 1 && m_mesh.rows > 2)
        addEdge(mesh, column, k);
}

Geometry DxfEntityReader::readMesh(EntityGroups& in)
{
    const std::vector<Group>& gs = in.all;
    const size_t end = in.end;
    MeshGeom mesh;
    size_t i = 1;
    auto count = [&](const Group& g) { return std::clamp<std::int64_t>(g.toInt(), 0, kMaxItems); };
    for (; i < end; ++i) {
        const Group& g = gs[i];
        if (g.code == 92) {
            const std::int64_t n = count(g);
            for (std::int64_t v = 0; v < n && i + 1 < end && gs[i + 1].code == 10; ++v) {
                QPointF p;
                setX(p, gs[++i]);
                if (i + 1 < end && gs[i + 1].code == 20)
                    setY(p, gs[++i]);
                if (i + 1 < end && gs[i + 1].code == 30)
                    ++i;
                mesh.vertices.push_back(p);
            }
        } else if (g.code == 93) {
            // The face list: each face is its corner count, then the corners.
            std::int64_t left = count(g);
            while (left > 0 && i + 1 < end && gs[i + 1].code == 90) {
                const std::int64_t corners = std::clamp<std::int64_t>(gs[++i].toInt(), 0, left - 1);
                left -= 1 + corners;
                std::vector<std::int64_t> face;
                for (std::int64_t c = 0; c < corners && i + 1 < end && gs[i + 1].code == 90; ++c)
                    face.push_back(gs[++i].toInt());
                for (size_t k = 0; k < face.size() && face.size() >= 2; ++k)
                    addEdge(mesh, face[k], face[(k + 1) % face.size()]);
            }
        } else if (g.code == 94) {
            const std::int64_t n = count(g);
            for (std::int64_t k = 0; k < n && i + 2 < end && gs[i + 1].code == 90 && gs[i + 2].code == 90; ++k) {
                addEdge(mesh, gs[i + 1].toInt(), gs[i + 2].toInt());
                i += 2;
            }
        }
    }
    dropRepeatedEdges(mesh);
    return mesh;
}

Geometry DxfEntityReader::readMLine(EntityGroups& in)
{
    const std::vector<Group>& gs = in.all;
    const size_t end = in.end;
    MLineGeom mline;
    std::int64_t elementCount = 0;
    QPointF vertex, miter;
    bool haveVertex = false;
    size_t element = 0;
    for (size_t i = 1; i < end; ++i) {
        const Group& g = gs[i];
        switch (g.code) {
        case 2: mline.style = nameId(g.value); break;
        case 71: mline.closed = g.toInt() & 2; break;
        case 73: elementCount = std::clamp<std::int64_t>(g.toInt(), 0, 1000); break;
        case 11: setX(vertex, g); haveVertex = true; element = 0; break;
        case 21: setY(vertex, g); break;
        case 13: setX(miter, g); break;
        case 23: setY(miter, g); break;
        case 74: {
            // The element's parameters: its distance from the vertex along
            // the miter first, then where its dashes break (not drawn).
            const std::int64_t n = std::clamp<std::int64_t>(g.toInt(), 0, kMaxItems);
            double offset = 0;
            if (n > 0 && i + 1 < end && gs[i + 1].code == 41)
                offset = gs[i + 1].toDouble();
            if (haveVertex && std::int64_t(element) < elementCount) {
                // Grown by the parameter groups really there, not by the count the file claims.
                if (mline.elements.size() <= element)
                    mline.elements.resize(element + 1);
                auto& line = mline.elements[element];
                if (line.size() < size_t(kMaxItems))
                    line.push_back(vertex + miter * offset);
            }
            ++element;
            break;
        }
        default:
            break;
        }
    }
    return mline;
}

Geometry DxfEntityReader::readMultiLeader(EntityGroups& in)
{
    const std::vector<Group>& gs = in.all;
    const size_t end = in.end;
    auto content = std::make_shared<MultiLeaderContent>();
    enum class Part { Entity, Context, Leader, LeaderLine } part = Part::Entity;
    std::vector<QPointF> line;          // the leader line being read
    std::vector<std::vector<QPointF>> branchLines;
    QPointF landing, dogleg;
    double doglegLength = 0;
    bool hasLanding = false, doglegEnabled = true, leadersVisible = true;
    double contextArrow = -1, entityArrow = -1;
    std::int64_t contentType = -1;
    QPointF textDirection(1, 0);
    bool hasTextDirection = false;
    auto finishBranch = [&] {
        for (auto& l : branchLines) {
            if (hasLanding)
                l.push_back(landing);
            if (hasLanding && doglegEnabled && doglegLength > 0)
                l.push_back(landing + dogleg * doglegLength);
            if (l.size() >= 2 && content->leaders.size() < size_t(kMaxItems))
                content->leaders.push_back(std::move(l));
        }
        branchLines.clear();
        hasLanding = false;
        doglegLength = 0;
        dogleg = {};
    };
    for (size_t i = 1; i < end; ++i) {
        const Group& g = gs[i];
        const std::string_view v = g.value;
        if (g.code == 300 && v.starts_with("CONTEXT_DATA")) { part = Part::Context; continue; }
        if (g.code == 301 && part == Part::Context) { part = Part::Entity; continue; }
        if (g.code == 302 && v.starts_with("LEADER")) { part = Part::Leader; continue; }
        if (g.code == 303 && part == Part::Leader) { finishBranch(); part = Part::Context; continue; }
        if (g.code == 304 && v.starts_with("LEADER_LINE")) { part = Part::LeaderLine; line.clear(); continue; }
        if (g.code == 305 && part == Part::LeaderLine) {
            if (branchLines.size() < size_t(kMaxItems))
                branchLines.push_back(std::move(line));
            line.clear();
            part = Part::Leader;
            continue;
        }
        switch (part) {
        case Part::LeaderLine:
            if (g.code == 10 && line.size() < size_t(kMaxItems)) line.push_back({g.toDouble(), 0});
            else if (g.code == 20 && !line.empty()) line.back().setY(g.toDouble());
            break;
        case Part::Leader:
            switch (g.code) {
            case 10: setX(landing, g); hasLanding = true; break;
            case 20: setY(landing, g); break;
            case 11: setX(dogleg, g); break;
            case 21: setY(dogleg, g); break;
            case 40: doglegLength = g.toDouble(); break;
            }
            break;
        case Part::Context:
            switch (g.code) {
            case 140: contextArrow = g.toDouble(); break;
            case 41: content->text.height = g.toDouble(); break;
            case 290: content->hasText = g.toInt() != 0; break;
            case 304: content->text.text = m_text.decode(v); break;
            case 12: setX(content->text.insert, g); break;
            case 22: setY(content->text.insert, g); break;
            case 13: setX(textDirection, g); hasTextDirection = true; break;
            case 23: setY(textDirection, g); break;
            case 42: content->text.rotation = g.toDouble() * 180 / kPi; break;
            case 43: content->text.width = g.toDouble(); break;
            case 45: content->text.lineSpacing = g.toDouble() > 0 ? g.toDouble() : 1; break;
            case 145: content->frameGap = g.toDouble(); break;
            case 171: content->text.attachment = std::int8_t(std::clamp<std::int64_t>(g.toInt(), 1, 9)); break;
            case 341: {
                auto it = m_blockRecords.find(upperHandle(v));
                if (it != m_blockRecords.end())
                    content->block = it->second;
                break;
            }
            case 15: setX(content->blockPosition, g); break;
            case 25: setY(content->blockPosition, g); break;
            case 16: content->blockScaleX = g.toDouble(); break;
            case 26: content->blockScaleY = g.toDouble(); break;
            case 46: content->blockRotation = g.toDouble() * 180 / kPi; break;
            }
            break;
        case Part::Entity:
            switch (g.code) {
            case 170: leadersVisible = g.toInt() != 0; break;
            case 291: doglegEnabled = g.toInt() != 0; break;
            case 292: content->textFrame = g.toInt() != 0; break;
            case 42: entityArrow = g.toDouble(); break;
            case 172: contentType = g.toInt(); break;
            }
            break;
        }
    }
    if (hasTextDirection && (textDirection.x() != 0 || textDirection.y() != 0))
        content->text.rotation = std::atan2(textDirection.y(), textDirection.x()) * 180 / kPi;
    if (!leadersVisible)
        content->leaders.clear();
    content->arrowSize = contextArrow >= 0 ? contextArrow : std::max(entityArrow, 0.0);
    if (contentType == 1)
        content->hasText = false; // block content: its text groups are left-overs
    if (contentType == 2 || contentType == 0)
        content->block = kNoName;
    if (content->leaders.empty() && !content->hasText && content->block == kNoName)
        return std::monostate();
    return MultiLeaderGeom{std::move(content)};
}

Geometry DxfEntityReader::readImage(EntityGroups& in)
{
    return readImageFrame(in, false);
}

Geometry DxfEntityReader::readWipeout(EntityGroups& in)
{
    return readImageFrame(in, true);
}

Geometry DxfEntityReader::readImageFrame(const EntityGroups& in, bool wipeout)
{
    const std::vector<Group>& gs = in.all;
    const size_t end = in.end;
    QPointF insert, u, v, size(1, 1);
    std::vector<QPointF> clip;
    bool clipping = wipeout;
    for (size_t i = 1; i < end; ++i) {
        const Group& g = gs[i];
        switch (g.code) {
        case 10: setX(insert, g); break;
        case 20: setY(insert, g); break;
        case 11: setX(u, g); break;
        case 21: setY(u, g); break;
        case 12: setX(v, g); break;
        case 22: setY(v, g); break;
        case 13: setX(size, g); break;
        case 23: setY(size, g); break;
        case 14: if (clip.size() < size_t(kMaxItems)) clip.push_back({g.toDouble(), 0}); break;
        case 24: if (!clip.empty()) clip.back().setY(g.toDouble()); break;
        case 280: if (!wipeout) clipping = g.toInt() != 0; break;
        }
    }
    // Clip points are in pixels from the top left corner of the top left
    // pixel's centre; two points give a rectangle.
    if (!clipping || clip.size() < 2)
        clip = {{-0.5, -0.5}, {size.x() - 0.5, size.y() - 0.5}};
    if (clip.size() == 2)
        clip = {clip[0], {clip[1].x(), clip[0].y()}, clip[1], {clip[0].x(), clip[1].y()}};
    const QPointF origin = insert + u * 0.5 - v * 0.5;
    ImageFrameGeom frame;
    for (const QPointF& p : clip)
        frame.outline.push_back(origin + u * p.x() + v * (size.y() - p.y()));
    return frame;
}

Geometry DxfEntityReader::readInfiniteLine(EntityGroups& in)
{
    const std::vector<Group>& gs = in.all;
    const size_t end = in.end;
    InfiniteLineGeom line;
    for (size_t i = 1; i < end; ++i) {
        const Group& g = gs[i];
        switch (g.code) {
        case 10: setX(line.base, g); break;
        case 20: setY(line.base, g); break;
        case 11: setX(line.direction, g); break;
        case 21: setY(line.direction, g); break;
        }
    }
    if (line.direction.isNull())
        return std::monostate(); // straight up in Z: a single point in plan
    return line;
}

Geometry DxfEntityReader::readProxyGraphics(const EntityGroups& in)
{
    const std::vector<Group>& gs = in.all;
    const size_t end = in.end;
    for (size_t i = 1; i + 1 < end; ++i) {
        if ((gs[i].code != 92 && gs[i].code != 160) || gs[i + 1].code != 310)
            continue;
        std::vector<std::string_view> chunks;
        for (size_t k = i + 1; k < end && gs[k].code == 310; ++k)
            chunks.push_back(gs[k].value);
        const QByteArray bytes = proxyBytesFromHex(chunks, gs[i].toInt());
        ProxyContext context;
        context.layerAt = [this](std::uint32_t index) {
            return index < m_drawing.layers.size() ? m_drawing.names.intern(m_drawing.layers[index].name) : kNoName;
        };
        context.linetypeAt = [this](std::uint32_t index) {
            return index < m_drawing.linetypes.size() ? m_drawing.names.intern(m_drawing.linetypes[index]) : kNoName;
        };
        context.decode = [this](std::string_view raw) { return m_text.decode(raw); };
        context.r2010 = m_drawing.version >= QLatin1String("AC1024");
        std::vector<ProxyPrimitive> primitives = decodeProxyGraphics(bytes, context);
        if (primitives.empty())
            return std::monostate();
        return ProxyGeom{std::make_shared<const std::vector<ProxyPrimitive>>(std::move(primitives))};
    }
    return std::monostate();
}

void DxfEntityReader::addBlockRecord(std::string_view handle, const QString& name)
{
    m_blockRecords[upperHandle(handle)] = m_drawing.names.intern(name);
}

} // namespace cad::dxf
