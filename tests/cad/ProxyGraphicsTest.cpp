// The proxy-graphics decoder: the records a CAD writes for custom objects,
// read into primitives; damaged and hostile streams end cleanly with what
// came before the damage.

#include "cad/dxf/ProxyGraphics.h"

#include <QByteArray>

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using namespace cad;
using Kind = ProxyPrimitive::Kind;

/// Builds a stream record by record, little-endian as the format is.
class Stream {
public:
    Stream& record(std::uint32_t type, const QByteArray& data)
    {
        put(m_records, std::uint32_t(data.size() + 8));
        put(m_records, type);
        m_records += data;
        ++m_count;
        return *this;
    }
    QByteArray bytes() const
    {
        QByteArray out;
        put(out, std::uint32_t(m_records.size() + 8));
        put(out, m_count);
        return out + m_records;
    }

    static QByteArray u32(std::uint32_t v) { QByteArray b; put(b, v); return b; }
    static QByteArray f64(double v)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &v, 8);
        QByteArray b;
        for (int i = 0; i < 8; ++i)
            b.append(char((bits >> (8 * i)) & 0xFF));
        return b;
    }
    static QByteArray point(double x, double y, double z = 0) { return f64(x) + f64(y) + f64(z); }

private:
    static void put(QByteArray& b, std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    }
    QByteArray m_records;
    std::uint32_t m_count = 0;
};

dxf::ProxyContext context()
{
    dxf::ProxyContext c;
    c.layerAt = [](std::uint32_t i) { return i < 3 ? NameId(100 + i) : kNoName; };
    c.linetypeAt = [](std::uint32_t i) { return i < 2 ? NameId(200 + i) : kNoName; };
    return c;
}

TEST(ProxyGraphics, ReadsShapesWithTheColourLayerAndLinetypeSetBeforeThem)
{
    Stream s;
    s.record(14, Stream::u32(1))                                                       // colour 1
        .record(16, Stream::u32(2))                                                    // layer #2
        .record(18, Stream::u32(1))                                                    // linetype #1
        .record(2, Stream::point(5, 6) + Stream::f64(2.5) + Stream::point(0, 0, 1))    // circle
        .record(6, Stream::u32(3) + Stream::point(0, 0) + Stream::point(4, 0) + Stream::point(4, 3))
        .record(22, Stream::u32(0xC2112233))                                           // true colour
        .record(20, Stream::u32(1))                                                    // fill on
        .record(7, Stream::u32(3) + Stream::point(0, 0) + Stream::point(1, 0) + Stream::point(0, 1))
        .record(16, Stream::u32(9));                                                   // unknown layer
    // A quarter arc from (11,0) around (10,0), turning clockwise seen from above.
    s.record(4, Stream::point(10, 0) + Stream::f64(1) + Stream::point(0, 0, -1) + Stream::point(1, 0)
                    + Stream::f64(M_PI / 2) + Stream::u32(0));
    const auto prims = dxf::decodeProxyGraphics(s.bytes(), context());
    ASSERT_EQ(prims.size(), 4u);
    EXPECT_EQ(prims[0].kind, Kind::Circle);
    EXPECT_EQ(prims[0].arc.center, QPointF(5, 6));
    EXPECT_DOUBLE_EQ(prims[0].arc.radius, 2.5);
    EXPECT_EQ(prims[0].color, 1);
    EXPECT_EQ(prims[0].layer, NameId(102));
    EXPECT_EQ(prims[0].linetype, NameId(201));
    EXPECT_EQ(prims[1].kind, Kind::Polyline);
    EXPECT_FALSE(prims[1].closed);
    ASSERT_EQ(prims[1].vertices.size(), 3u);
    EXPECT_EQ(prims[1].vertices[2].pos, QPointF(4, 3));
    EXPECT_EQ(prims[2].kind, Kind::Fill); // a polygon with fill on
    EXPECT_EQ(prims[2].trueColor, 0x112233);
    EXPECT_EQ(prims[3].kind, Kind::Arc);
    EXPECT_EQ(prims[3].layer, kNoName); // an index past the table: the entity's own layer
    EXPECT_NEAR(prims[3].arc.startAngle, -90, 1e-9);
    EXPECT_NEAR(prims[3].arc.endAngle, 0, 1e-9);
}

TEST(ProxyGraphics, ThreePointArcsTextAndMatrices)
{
    Stream s;
    // Through (1,0), (0,1), (-1,0): the upper half of the unit circle.
    s.record(5, Stream::point(1, 0) + Stream::point(0, 1) + Stream::point(-1, 0) + Stream::u32(0));
    // Everything after is moved by (100, 0) and scaled by 2.
    QByteArray m;
    for (double v : {2.0, 0.0, 0.0, 100.0, 0.0, 2.0, 0.0, 0.0, 0.0, 0.0, 2.0, 0.0, 0.0, 0.0, 0.0, 1.0})
        m += Stream::f64(v);
    s.record(29, m);
    QByteArray text = Stream::point(1, 1) + Stream::point(0, 0, 1) + Stream::point(0, 1);
    text += Stream::f64(2.5) + Stream::f64(0.8) + Stream::f64(0);
    const QByteArray utf16 = QByteArray::fromRawData(reinterpret_cast<const char*>(u"壁A"), 4);
    text += utf16 + QByteArray(4, '\0'); // terminator and padding to 4 bytes
    s.record(36, text);
    s.record(31, {});
    s.record(2, Stream::point(0, 0) + Stream::f64(1) + Stream::point(0, 0, 1));
    const auto prims = dxf::decodeProxyGraphics(s.bytes(), context());
    ASSERT_EQ(prims.size(), 3u);
    EXPECT_EQ(prims[0].kind, Kind::Arc);
    EXPECT_NEAR(prims[0].arc.radius, 1, 1e-12);
    EXPECT_NEAR(prims[0].arc.startAngle, 0, 1e-9);
    EXPECT_NEAR(prims[0].arc.endAngle, 180, 1e-9);
    EXPECT_EQ(prims[1].kind, Kind::Text);
    EXPECT_EQ(prims[1].text.text, QString::fromUtf8("壁A"));
    EXPECT_EQ(prims[1].text.insert, QPointF(102, 2));
    EXPECT_DOUBLE_EQ(prims[1].text.height, 5);
    EXPECT_DOUBLE_EQ(prims[1].text.widthFactor, 0.8);
    EXPECT_NEAR(prims[1].text.rotation, 90, 1e-9);
    EXPECT_EQ(prims[2].arc.center, QPointF(0, 0)); // the matrix was popped
}

TEST(ProxyGraphics, ShellFacesAndTheBitStreamOfALightweightPolyline)
{
    Stream s;
    QByteArray shell = Stream::u32(4);
    for (auto [x, y] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 1}})
        shell += Stream::point(x, y);
    shell += Stream::u32(5) + Stream::u32(4) + Stream::u32(0) + Stream::u32(1) + Stream::u32(2) + Stream::u32(3);
    s.record(9, shell);
    // LWPOLYLINE in DWG bits: flags BS=0 (bits 10), 2 points BL (01 + 8 bits),
    // the first point as two raw doubles, the second as default-relative
    // doubles: 00 (same x), then 11 + a full double for y.
    QByteArray bits;
    QString b = "10" "01" "00000010";
    auto rawDouble = [&](double v) {
        const QByteArray le = Stream::f64(v);
        for (char byte : le)
            for (int k = 7; k >= 0; --k)
                b += ((std::uint8_t(byte) >> k) & 1) ? '1' : '0';
    };
    rawDouble(3);
    rawDouble(4);
    b += "00";
    b += "11";
    rawDouble(9);
    while (b.size() % 8)
        b += '0';
    for (qsizetype i = 0; i < b.size(); i += 8)
        bits.append(char(b.mid(i, 8).toUInt(nullptr, 2)));
    s.record(33, bits);
    const auto prims = dxf::decodeProxyGraphics(s.bytes(), context());
    ASSERT_EQ(prims.size(), 2u);
    EXPECT_EQ(prims[0].kind, Kind::Polyline);
    EXPECT_TRUE(prims[0].closed);
    EXPECT_EQ(prims[0].vertices.size(), 4u);
    ASSERT_EQ(prims[1].vertices.size(), 2u);
    EXPECT_EQ(prims[1].vertices[0].pos, QPointF(3, 4));
    EXPECT_EQ(prims[1].vertices[1].pos, QPointF(3, 9));
}

TEST(ProxyGraphics, DamagedAndHostileStreamsEndWithWhatCameBefore)
{
    const QByteArray circle = Stream::point(1, 1) + Stream::f64(1) + Stream::point(0, 0, 1);
    // A record claiming more bytes than there are ends the stream.
    Stream s;
    s.record(2, circle);
    QByteArray bytes = s.bytes();
    QByteArray bad;
    bad += Stream::u32(0x7FFFFFF0) + Stream::u32(6);
    EXPECT_EQ(dxf::decodeProxyGraphics(bytes + bad, context()).size(), 1u);
    // A record smaller than its own header ends it too (no endless loop).
    EXPECT_EQ(dxf::decodeProxyGraphics(bytes + Stream::u32(0) + Stream::u32(2), context()).size(), 1u);
    // Counts far beyond the data allocate nothing and draw nothing.
    Stream huge;
    huge.record(6, Stream::u32(0xFFFFFFFF) + Stream::point(0, 0));
    huge.record(8, Stream::u32(0x10000) + Stream::u32(0x10000) + Stream::point(0, 0));
    huge.record(9, Stream::u32(1) + Stream::point(0, 0) + Stream::u32(0xFFFFFFF0) + Stream::u32(0x7FFFFFFF));
    huge.record(33, QByteArray("\x00\x00\xFF\xFF\xFF\xFF\xFF", 7));
    huge.record(36, Stream::point(0, 0) + Stream::point(0, 0, 1) + Stream::point(1, 0) + Stream::f64(1)
                        + Stream::f64(1) + Stream::f64(0) + QByteArray("A\0B", 3)); // no terminator
    huge.record(2, circle);
    const auto prims = dxf::decodeProxyGraphics(huge.bytes(), context());
    ASSERT_EQ(prims.size(), 1u);
    EXPECT_EQ(prims[0].kind, Kind::Circle);
    // Truncated anywhere, a stream never reads past its end.
    const QByteArray full = huge.bytes();
    for (qsizetype n = 0; n < full.size(); ++n)
        (void)dxf::decodeProxyGraphics(full.left(n), context());
    // Non-finite numbers become 0 rather than poisoning the picture.
    Stream nan;
    nan.record(2, Stream::point(std::nan(""), 1) + Stream::f64(INFINITY) + Stream::point(0, 0, 1));
    const auto cleaned = dxf::decodeProxyGraphics(nan.bytes(), context());
    ASSERT_EQ(cleaned.size(), 1u);
    EXPECT_EQ(cleaned[0].arc.center, QPointF(0, 1));
}

TEST(ProxyGraphics, HexChunksStopAtTheDeclaredSizeAndAtBadHex)
{
    EXPECT_EQ(dxf::proxyBytesFromHex({"0A0b", "FF"}, 0), QByteArray("\x0A\x0B\xFF", 3));
    EXPECT_EQ(dxf::proxyBytesFromHex({"0A0B", "FF"}, 2), QByteArray("\x0A\x0B", 2));
    EXPECT_EQ(dxf::proxyBytesFromHex({"0A", "ZZ", "FF"}, 0), QByteArray("\x0A", 1));
    EXPECT_EQ(dxf::proxyBytesFromHex({"0A1"}, 0), QByteArray());
}

} // namespace
