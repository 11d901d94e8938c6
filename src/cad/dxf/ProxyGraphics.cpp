// Over 600 lines for a reason: one decoder of the proxy-graphics command
// stream, whose command readers all work through the same bounded cursor
// and output; apart, each file would need that cursor's insides.
#include "ProxyGraphics.h"

#include <QTransform>

#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>

namespace cad::dxf {

namespace {

constexpr double kPi = std::numbers::pi;
/// Matrices pushed deeper than this are ignored (their pops too).
constexpr std::size_t kMaxMatrixDepth = 64;

enum Record : std::uint32_t {
    Extents = 1, Circle = 2, Circle3P = 3, CircularArc = 4, CircularArc3P = 5, Polyline = 6, Polygon = 7,
    Mesh = 8, Shell = 9, Text = 10, Text2 = 11, XLine = 12, Ray = 13, Colour = 14, Layer = 16, Linetype = 18,
    Fill = 20, TrueColour = 22, PushMatrix = 29, PushMatrix2 = 30, PopMatrix = 31, PolylineWithNormals = 32,
    LwPolyline = 33, UnicodeText = 36, UnicodeText2 = 38,
};

struct Point3 {
    double x = 0, y = 0, z = 0;
};

/// Little-endian reads from one record's data; every read checks the bytes left.
class ByteReader {
public:
    ByteReader(const char* data, std::size_t size) : m_data(data), m_size(size) {}

    std::size_t left() const { return m_size - m_pos; }
    const char* rest() const { return m_data + m_pos; }
    bool ok() const { return m_ok; }

    std::uint32_t u32()
    {
        std::uint32_t v = 0;
        read(&v, 4);
        return v;
    }
    std::int32_t i32() { return std::int32_t(u32()); }
    double f64()
    {
        double v = 0;
        read(&v, 8);
        return std::isfinite(v) ? v : 0.0;
    }
    Point3 point() { return {f64(), f64(), f64()}; }
    /// `count` more items of `itemSize` bytes are really there.
    bool has(std::uint64_t count, std::size_t itemSize) const { return m_ok && count <= left() / itemSize; }

    /// A zero-terminated 8-bit string, padded to 4 bytes.
    std::string_view paddedString()
    {
        const char* start = m_data + m_pos;
        const void* zero = std::memchr(start, 0, left());
        if (!zero) {
            m_ok = false;
            return {};
        }
        const std::size_t length = std::size_t(static_cast<const char*>(zero) - start);
        skipPadded(length + 1);
        return {start, length};
    }
    /// A UTF-16LE string ended by two zero bytes, padded to 4 bytes.
    QString paddedUnicode()
    {
        QString out;
        const std::size_t start = m_pos;
        for (std::size_t i = start; i + 1 < m_size; i += 2) {
            const char16_t c = char16_t(std::uint8_t(m_data[i]) | (std::uint8_t(m_data[i + 1]) << 8));
            if (c == 0) {
                skipPadded(i + 2 - start);
                return out;
            }
            out += QChar(c);
        }
        m_ok = false;
        return {};
    }

private:
    void read(void* out, std::size_t n)
    {
        if (!m_ok || left() < n) {
            m_ok = false;
            std::memset(out, 0, n);
            return;
        }
        std::memcpy(out, m_data + m_pos, n);
        if constexpr (std::endian::native == std::endian::big) {
            auto* b = static_cast<unsigned char*>(out);
            for (std::size_t i = 0; i < n / 2; ++i)
                std::swap(b[i], b[n - 1 - i]);
        }
        m_pos += n;
    }
    void skipPadded(std::size_t n)
    {
        n = (n + 3) & ~std::size_t(3);
        m_pos = std::min(m_size, m_pos + n);
    }

    const char* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

/// The DWG bit stream of an LWPOLYLINE record: bits most significant first,
/// with the compressed number forms of the DWG format.
class BitReader {
public:
    BitReader(const char* data, std::size_t size) : m_data(data), m_bits(size * 8) {}
    bool ok() const { return m_ok; }
    std::size_t bitsLeft() const { return m_bits - m_pos; }

    unsigned bits(int n)
    {
        unsigned v = 0;
        for (int i = 0; i < n; ++i) {
            if (m_pos >= m_bits) {
                m_ok = false;
                return 0;
            }
            const unsigned byte = std::uint8_t(m_data[m_pos >> 3]);
            v = (v << 1) | ((byte >> (7 - (m_pos & 7))) & 1u);
            ++m_pos;
        }
        return v;
    }
    std::uint64_t rawLittle(int bytes)
    {
        std::uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= std::uint64_t(this->bits(8)) << (8 * i);
        return v;
    }
    double rawDouble() { return finite(std::bit_cast<double>(rawLittle(8))); }
    int bitShort()
    {
        switch (bits(2)) {
        case 0: return std::int16_t(rawLittle(2));
        case 1: return int(bits(8));
        case 2: return 0;
        default: return 256;
        }
    }
    std::int64_t bitLong()
    {
        switch (bits(2)) {
        case 0: return std::int32_t(rawLittle(4));
        case 1: return bits(8);
        case 2: return 0;
        default: m_ok = false; return 0;
        }
    }
    double bitDouble()
    {
        switch (bits(2)) {
        case 0: return rawDouble();
        case 1: return 1.0;
        case 2: return 0.0;
        default: m_ok = false; return 0;
        }
    }
    /// A double given as the bytes that differ from `fallback`.
    double bitDoubleDefault(double fallback)
    {
        std::uint64_t v = std::bit_cast<std::uint64_t>(fallback);
        switch (bits(2)) {
        case 0: return fallback;
        case 1: v = (v & ~0xFFFFFFFFull) | rawLittle(4); break;
        case 2: {
            const std::uint64_t high = rawLittle(2), low = rawLittle(4);
            v = (v & 0xFFFF000000000000ull) | (high << 32) | low;
            break;
        }
        default: v = rawLittle(8); break;
        }
        return finite(std::bit_cast<double>(v));
    }

private:
    static double finite(double v) { return std::isfinite(v) ? v : 0.0; }
    const char* m_data;
    std::size_t m_bits;
    std::size_t m_pos = 0;
    bool m_ok = true;
};

/// The circle through three points, if they are not on one line.
std::optional<std::pair<QPointF, double>> circleThrough(QPointF a, QPointF b, QPointF c)
{
    const double d = 2 * (a.x() * (b.y() - c.y()) + b.x() * (c.y() - a.y()) + c.x() * (a.y() - b.y()));
    if (std::abs(d) < 1e-300)
        return std::nullopt;
    const double a2 = a.x() * a.x() + a.y() * a.y(), b2 = b.x() * b.x() + b.y() * b.y(),
                 c2 = c.x() * c.x() + c.y() * c.y();
    const QPointF centre((a2 * (b.y() - c.y()) + b2 * (c.y() - a.y()) + c2 * (a.y() - b.y())) / d,
                         (a2 * (c.x() - b.x()) + b2 * (a.x() - c.x()) + c2 * (b.x() - a.x())) / d);
    const QPointF r = a - centre;
    if (!std::isfinite(centre.x()) || !std::isfinite(centre.y()))
        return std::nullopt;
    return std::make_pair(centre, std::hypot(r.x(), r.y()));
}

double degreesOf(QPointF v) { return std::atan2(v.y(), v.x()) * 180 / kPi; }

class Decoder {
public:
    Decoder(const ProxyContext& context) : m_context(context) {}

    std::vector<ProxyPrimitive> run(const QByteArray& stream)
    {
        const char* data = stream.constData();
        const std::size_t size = std::size_t(stream.size());
        std::size_t at = 8; // total size and record count
        while (at + 8 <= size && m_out.size() < kMaxProxyPrimitives && m_points < kMaxProxyPoints) {
            ByteReader head(data + at, 8);
            const std::uint32_t recordSize = head.u32(), type = head.u32();
            if (recordSize < 8 || recordSize > size - at)
                break; // a damaged record: nothing after it can be trusted
            ByteReader body(data + at + 8, recordSize - 8);
            record(type, body);
            at += recordSize;
        }
        return std::move(m_out);
    }

private:
    QPointF map(const Point3& p) const
    {
        const QPointF q(p.x, p.y);
        return m_matrices.empty() ? q : m_matrices.back().map(q);
    }
    double mapLength(double length) const
    {
        return m_matrices.empty() ? length : length * std::sqrt(std::abs(m_matrices.back().determinant()));
    }

    ProxyPrimitive& add(ProxyPrimitive::Kind kind)
    {
        ProxyPrimitive& p = m_out.emplace_back();
        p.kind = kind;
        p.color = m_colour;
        p.trueColor = m_trueColour;
        p.layer = m_layer;
        p.linetype = m_linetype;
        return p;
    }

    void addPoints(ProxyPrimitive::Kind kind, std::vector<PolyVertex> vertices, bool closed)
    {
        if (vertices.empty())
            return;
        m_points += vertices.size();
        ProxyPrimitive& p = add(kind);
        p.vertices = std::move(vertices);
        p.closed = closed;
    }

    std::vector<PolyVertex> readPoints(ByteReader& r, std::uint64_t count)
    {
        std::vector<PolyVertex> out;
        if (!r.has(count, 24) || count > kMaxProxyPoints - m_points)
            return out;
        out.reserve(std::size_t(count));
        for (std::uint64_t i = 0; i < count; ++i)
            out.push_back({map(r.point())});
        return out;
    }

    void record(std::uint32_t type, ByteReader& r)
    {
        switch (type) {
        case Circle: {
            const Point3 c = r.point();
            const double radius = std::abs(r.f64());
            if (r.ok())
                circle(map(c), mapLength(radius));
            break;
        }
        case Circle3P: {
            const QPointF a = map(r.point()), b = map(r.point()), c = map(r.point());
            if (auto found = circleThrough(a, b, c); found && r.ok())
                circle(found->first, found->second);
            break;
        }
        case CircularArc: {
            const Point3 c = r.point();
            const double radius = std::abs(r.f64());
            const Point3 normal = r.point(), start = r.point();
            double sweep = r.f64();
            if (!r.ok())
                break;
            // The sweep turns about the normal; seen from above, a normal
            // pointing down turns the other way.
            const QPointF centre = map(c);
            const QPointF startPoint = map({c.x + start.x, c.y + start.y, c.z + start.z});
            double a0 = degreesOf(startPoint - centre);
            sweep = sweep * 180 / kPi * (normal.z < 0 ? -1 : 1);
            if (m_matrices.size() && m_matrices.back().determinant() < 0)
                sweep = -sweep;
            if (sweep < 0) {
                a0 += sweep;
                sweep = -sweep;
            }
            arc(centre, mapLength(radius), a0, a0 + std::min(sweep, 360.0));
            break;
        }
        case CircularArc3P: {
            const QPointF a = map(r.point()), b = map(r.point()), c = map(r.point());
            auto found = circleThrough(a, b, c);
            if (!found || !r.ok()) {
                if (r.ok())
                    addPoints(ProxyPrimitive::Kind::Polyline, {{a}, {c}}, false);
                break;
            }
            const auto [centre, radius] = *found;
            const double da = degreesOf(a - centre), db = degreesOf(b - centre), dc = degreesOf(c - centre);
            auto ccwFrom = [](double from, double to) { return std::fmod(std::fmod(to - from, 360.0) + 360.0, 360.0); };
            // From a through b to c: counterclockwise when b comes first going counterclockwise from a.
            if (ccwFrom(da, db) <= ccwFrom(da, dc))
                arc(centre, radius, da, da + ccwFrom(da, dc));
            else
                arc(centre, radius, dc, dc + ccwFrom(dc, da));
            break;
        }
        case Polyline:
        case Polygon:
        case PolylineWithNormals: {
            const std::uint32_t count = r.u32();
            std::vector<PolyVertex> points = readPoints(r, count);
            if (!r.ok())
                break;
            const bool polygon = type == Polygon;
            addPoints(polygon && m_fill ? ProxyPrimitive::Kind::Fill : ProxyPrimitive::Kind::Polyline, std::move(points),
                      polygon);
            break;
        }
        case Mesh:
            mesh(r);
            break;
        case Shell:
            shell(r);
            break;
        case Text:
        case UnicodeText:
        case Text2:
        case UnicodeText2:
            text(type, r);
            break;
        case XLine:
        case Ray: {
            // Endless lines are drawn by the entities that own them; as a
            // part of a proxy's picture they stand for a long line: drawn
            // as the segment between their two points.
            const QPointF a = map(r.point()), b = map(r.point());
            if (r.ok())
                addPoints(ProxyPrimitive::Kind::Polyline, {{a}, {b}}, false);
            break;
        }
        case Colour: {
            const std::int32_t c = r.i32();
            if (r.ok()) {
                m_colour = std::int16_t(c >= 0 && c <= 256 ? c : color::kByLayer);
                m_trueColour = -1;
            }
            break;
        }
        case TrueColour: {
            const std::uint32_t raw = r.u32();
            if (!r.ok())
                break;
            m_trueColour = -1;
            switch (raw >> 24) {
            case 0xC0: m_colour = color::kByLayer; break;
            case 0xC1: m_colour = color::kByBlock; break;
            case 0xC2: m_trueColour = std::int32_t(raw & 0xFFFFFF); break;
            case 0xC3: m_colour = std::int16_t(raw & 0xFF); break;
            default: break;
            }
            break;
        }
        case Layer: {
            const std::uint32_t index = r.u32();
            if (r.ok() && m_context.layerAt)
                m_layer = m_context.layerAt(index);
            break;
        }
        case Linetype: {
            const std::uint32_t index = r.u32();
            if (r.ok() && m_context.linetypeAt)
                m_linetype = m_context.linetypeAt(index);
            break;
        }
        case Fill: {
            const std::uint32_t on = r.u32();
            if (r.ok())
                m_fill = on != 0;
            break;
        }
        case PushMatrix:
        case PushMatrix2: {
            double m[16];
            for (double& v : m)
                v = r.f64();
            if (!r.ok())
                break;
            if (m_matrices.size() >= kMaxMatrixDepth) {
                ++m_ignoredPushes;
                break;
            }
            // Row-major, points as columns: x' = m0 x + m1 y + m3, y' = m4 x + m5 y + m7.
            QTransform t(m[0], m[4], m[1], m[5], m[3], m[7]);
            if (!m_matrices.empty())
                t = t * m_matrices.back();
            m_matrices.push_back(t);
            break;
        }
        case PopMatrix:
            if (m_ignoredPushes)
                --m_ignoredPushes;
            else if (!m_matrices.empty())
                m_matrices.pop_back();
            break;
        case LwPolyline:
            lwPolyline(r);
            break;
        default:
            break; // extents, markers, materials, clipping, ...: nothing to draw
        }
    }

    void circle(QPointF centre, double radius)
    {
        ProxyPrimitive& p = add(m_fill ? ProxyPrimitive::Kind::Fill : ProxyPrimitive::Kind::Circle);
        if (p.kind == ProxyPrimitive::Kind::Fill) {
            // A filled circle as a fine polygon (a disc).
            const int n = 72;
            for (int i = 0; i < n; ++i)
                p.vertices.push_back({centre + QPointF(std::cos(2 * kPi * i / n), std::sin(2 * kPi * i / n)) * radius});
            p.closed = true;
            m_points += std::size_t(n);
        }
        p.arc = ArcGeom{centre, radius, 0, 360};
        ++m_points;
    }

    void arc(QPointF centre, double radius, double a0, double a1)
    {
        ProxyPrimitive& p = add(ProxyPrimitive::Kind::Arc);
        p.arc = ArcGeom{centre, radius, a0, a1};
        ++m_points;
    }

    void mesh(ByteReader& r)
    {
        const std::uint32_t rows = r.u32(), columns = r.u32();
        if (!r.ok() || rows == 0 || columns == 0 || std::uint64_t(rows) * columns > kMaxProxyPoints)
            return;
        std::vector<PolyVertex> v = readPoints(r, std::uint64_t(rows) * columns);
        if (v.empty())
            return;
        for (std::uint32_t i = 0; i < rows; ++i)
            addPoints(ProxyPrimitive::Kind::Polyline,
                      std::vector<PolyVertex>(v.begin() + std::ptrdiff_t(i) * columns,
                                              v.begin() + std::ptrdiff_t(i + 1) * columns),
                      false);
        for (std::uint32_t j = 0; j < columns && rows > 1; ++j) {
            std::vector<PolyVertex> column;
            for (std::uint32_t i = 0; i < rows; ++i)
                column.push_back(v[std::size_t(i) * columns + j]);
            addPoints(ProxyPrimitive::Kind::Polyline, std::move(column), false);
        }
    }

    void shell(ByteReader& r)
    {
        const std::uint32_t count = r.u32();
        const std::vector<PolyVertex> vertices = readPoints(r, count);
        const std::uint32_t entries = r.u32();
        if (!r.ok() || vertices.empty() || !r.has(entries, 4))
            return;
        // A face is its vertex count, negative for a hole, then the indexes.
        std::vector<std::vector<PolyVertex>> faces;
        std::uint64_t read = 0, corners = 0;
        while (read < entries && r.ok() && corners < kMaxProxyPoints - m_points) {
            const std::int64_t n = std::abs(std::int64_t(r.i32()));
            read += 1 + std::uint64_t(n);
            if (!r.has(std::uint64_t(n), 4) || read > entries)
                return;
            std::vector<PolyVertex> face;
            for (std::int64_t k = 0; k < n; ++k) {
                const std::uint32_t index = r.u32();
                if (index < vertices.size())
                    face.push_back(vertices[index]);
            }
            corners += face.size();
            if (face.size() >= 2)
                faces.push_back(std::move(face));
        }
        for (auto& face : faces)
            addPoints(m_fill && face.size() >= 3 ? ProxyPrimitive::Kind::Fill : ProxyPrimitive::Kind::Polyline,
                      std::move(face), true);
    }

    void text(std::uint32_t type, ByteReader& r)
    {
        const Point3 start = r.point();
        r.point(); // normal
        const Point3 direction = r.point();
        TextGeom t;
        const bool unicode = type == UnicodeText || type == UnicodeText2;
        if (type == Text || type == UnicodeText) {
            t.height = r.f64();
            t.widthFactor = r.f64();
            t.oblique = r.f64() * 180 / kPi;
            t.text = unicode ? r.paddedUnicode() : decode(r.paddedString());
        } else {
            t.text = unicode ? r.paddedUnicode() : decode(r.paddedString());
            r.i32(); // length
            r.i32(); // raw
            t.height = r.f64();
            t.widthFactor = r.f64();
            t.oblique = r.f64() * 180 / kPi;
            r.f64(); // tracking
            const std::uint32_t backwards = r.u32(), upsideDown = r.u32();
            t.generation = std::int8_t((backwards ? 2 : 0) | (upsideDown ? 4 : 0));
        }
        if (!r.ok() || t.text.isEmpty())
            return;
        const QPointF origin = map(start);
        const QPointF along = map({start.x + direction.x, start.y + direction.y, start.z}) - origin;
        t.insert = t.alignPoint = origin;
        t.rotation = (along.x() != 0 || along.y() != 0) ? degreesOf(along) : 0;
        t.height = mapLength(std::abs(t.height));
        if (!(t.widthFactor > 0))
            t.widthFactor = 1;
        ProxyPrimitive& p = add(ProxyPrimitive::Kind::Text);
        p.text = std::move(t);
        ++m_points;
    }

    void lwPolyline(ByteReader& r)
    {
        // The record holds the entity in its DWG form: a bit stream.
        BitReader b(r.rest(), r.left());
        const int flags = b.bitShort();
        double constantWidth = 0;
        if (flags & 4) constantWidth = b.bitDouble();
        if (flags & 8) b.bitDouble(); // elevation
        if (flags & 2) b.bitDouble(); // thickness
        if (flags & 1) { b.bitDouble(); b.bitDouble(); b.bitDouble(); } // normal
        const std::int64_t points = b.bitLong();
        const std::int64_t bulges = (flags & 16) ? b.bitLong() : 0;
        const std::int64_t ids = (m_context.r2010 && (flags & 1024)) ? b.bitLong() : 0;
        const std::int64_t widths = (flags & 32) ? b.bitLong() : 0;
        // Each item takes at least two bits; counts beyond the bits left are damage.
        const auto fits = [&](std::int64_t n) { return n >= 0 && std::uint64_t(n) <= b.bitsLeft() / 2; };
        if (!b.ok() || points <= 0 || !fits(points) || !fits(bulges) || !fits(ids) || !fits(widths)
            || std::size_t(points) > kMaxProxyPoints - m_points)
            return;
        std::vector<PolyVertex> v(static_cast<std::size_t>(points));
        double x = b.rawDouble(), y = b.rawDouble();
        v[0].pos = {x, y};
        for (std::size_t i = 1; i < v.size(); ++i) {
            x = b.bitDoubleDefault(x);
            y = b.bitDoubleDefault(y);
            v[i].pos = {x, y};
        }
        for (std::int64_t i = 0; i < bulges; ++i) {
            const double bulge = b.bitDouble();
            if (std::size_t(i) < v.size())
                v[std::size_t(i)].bulge = std::clamp(bulge, -1e6, 1e6);
        }
        for (std::int64_t i = 0; i < ids; ++i)
            b.bitLong();
        for (std::int64_t i = 0; i < widths; ++i) {
            const double w0 = b.bitDouble(), w1 = b.bitDouble();
            if (std::size_t(i) < v.size()) {
                v[std::size_t(i)].startWidth = w0;
                v[std::size_t(i)].endWidth = w1;
            }
        }
        if (!b.ok())
            return;
        for (PolyVertex& vertex : v) {
            vertex.pos = map({vertex.pos.x(), vertex.pos.y(), 0});
            if (!(flags & 32))
                vertex.startWidth = vertex.endWidth = constantWidth;
        }
        // A mirroring matrix turns the arcs the other way.
        if (!m_matrices.empty() && m_matrices.back().determinant() < 0)
            for (PolyVertex& vertex : v)
                vertex.bulge = -vertex.bulge;
        addPoints(ProxyPrimitive::Kind::Polyline, std::move(v), (flags & 512) != 0);
    }

    QString decode(std::string_view raw) const
    {
        return m_context.decode ? m_context.decode(raw) : QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    }

    const ProxyContext& m_context;
    std::vector<ProxyPrimitive> m_out;
    std::size_t m_points = 0;
    std::int16_t m_colour = color::kByLayer;
    std::int32_t m_trueColour = -1;
    NameId m_layer = kNoName;
    NameId m_linetype = kNoName;
    bool m_fill = false;
    std::vector<QTransform> m_matrices;
    std::size_t m_ignoredPushes = 0;
};

} // namespace

std::vector<ProxyPrimitive> decodeProxyGraphics(const QByteArray& stream, const ProxyContext& context)
{
    return Decoder(context).run(stream);
}

QByteArray proxyBytesFromHex(const std::vector<std::string_view>& chunks, std::int64_t declaredSize)
{
    QByteArray out;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    for (std::string_view chunk : chunks) {
        while (!chunk.empty() && (chunk.back() == ' ' || chunk.back() == '\t'))
            chunk.remove_suffix(1);
        if (chunk.size() % 2)
            return out;
        for (std::size_t i = 0; i < chunk.size(); i += 2) {
            const int hi = nibble(chunk[i]), lo = nibble(chunk[i + 1]);
            if (hi < 0 || lo < 0)
                return out;
            if (declaredSize > 0 && out.size() >= declaredSize)
                return out;
            out.append(char(hi * 16 + lo));
        }
    }
    return out;
}

} // namespace cad::dxf
