// Entities made of others, read from DXF groups and drawn through the
// recording backend: meshes by their visible edges, multilines by their
// style, multileaders, tables, wipeouts, images, endless lines and proxy
// graphics.

#include "DrawingBuilder.h"
#include "cad/Extents.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/RecordingBackend.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cstring>
#include <set>

using cad::render::DrawingFrontend;
using cad::render::RecordingBackend;
using testing_render::record;
using testing_render::shapes;

namespace {

constexpr QRgb red = 0xFFFF0000, blue = 0xFF0000FF, white = 0xFFFFFFFF;

/// A drawing with layers 0, A (red) and B (blue), the given entities, blocks and objects.
cad::Drawing drawing(const QStringList& entities, const QStringList& blocks = {}, const QStringList& objects = {})
{
    return testing_render::dxfDrawing(entities, blocks, objects);
}

/// The segments of two-point polylines, as unordered point pairs.
std::set<std::pair<std::pair<double, double>, std::pair<double, double>>>
segments(const std::vector<RecordingBackend::Primitive>& all)
{
    std::set<std::pair<std::pair<double, double>, std::pair<double, double>>> out;
    for (const auto& line : shapes<RecordingBackend::Polyline>(all)) {
        EXPECT_EQ(line.points.size(), 2u);
        auto a = std::pair{line.points.front().x(), line.points.front().y()};
        auto b = std::pair{line.points.back().x(), line.points.back().y()};
        out.insert(a < b ? std::pair{a, b} : std::pair{b, a});
    }
    return out;
}

QStringList vertex(const char* x, const char* y, const char* flags, QStringList extra = {})
{
    return QStringList{"0", "VERTEX", "8", "A", "10", x, "20", y, "30", "0", "70", flags} + extra;
}

} // namespace

TEST(NewerEntities, PolyfaceMeshesDrawTheirVisibleEdgesOnly)
{
    // Two faces over five vertices; the edge between vertices 1 and 4 is
    // hidden in both (negative numbers), so it is not drawn.
    QStringList e{"0", "POLYLINE", "8", "A", "66", "1", "70", "64", "71", "5", "72", "2"};
    e << vertex("0", "0", "192") << vertex("10", "0", "192") << vertex("10", "10", "192")
      << vertex("0", "10", "192") << vertex("-5", "5", "192")
      << vertex("0", "0", "128", {"71", "1", "72", "2", "73", "3", "74", "-4"})
      << vertex("0", "0", "128", {"71", "-1", "72", "4", "73", "5"}) << QStringList{"0", "SEQEND"};
    const auto d = drawing(e);
    const auto all = record(d).all();
    using P = std::pair<double, double>;
    const std::set<std::pair<P, P>> expected{{{0, 0}, {10, 0}},  {{10, 0}, {10, 10}}, {{0, 10}, {10, 10}},
                                             {{-5, 5}, {0, 10}}, {{-5, 5}, {0, 0}}};
    EXPECT_EQ(segments(all), expected);
    for (const auto& p : all)
        EXPECT_EQ(p.style.colour, red);
}

TEST(NewerEntities, PolygonMeshesJoinRowsAndColumnsAndSmoothedOnesDrawTheirFittedGrid)
{
    // 2 x 3 vertices: two rows of two edges and three columns of one.
    QStringList e{"0", "POLYLINE", "8", "A", "66", "1", "70", "16", "71", "2", "72", "3"};
    for (const auto& [x, y] : {std::pair{"0", "0"}, {"1", "0"}, {"2", "0"}, {"0", "1"}, {"1", "1"}, {"2", "1"}})
        e << vertex(x, y, "64");
    e << "0" << "SEQEND";
    // A smoothed 2 x 2 surface fitted as 2 x 2: its control frame (flag 16) is skipped.
    e << QStringList{"0", "POLYLINE", "8", "B", "66", "1", "70", "20", "71", "2", "72", "2", "73", "2", "74", "2"};
    e << vertex("50", "50", "80") << vertex("60", "50", "80") << vertex("50", "60", "80") << vertex("60", "60", "80");
    e << vertex("0", "20", "72") << vertex("1", "20", "72") << vertex("0", "21", "72") << vertex("1", "21", "72");
    e << "0" << "SEQEND";
    const auto d = drawing(e);
    const RecordingBackend r = record(d);
    EXPECT_EQ(segments(r.layer(1)).size(), 7u);
    EXPECT_EQ(segments(r.layer(2)).size(), 4u);
    const auto box = cad::modelExtents(d);
    ASSERT_TRUE(box);
    EXPECT_LT(box->right(), 10); // the frame at x = 50..60 is not part of the surface
}

TEST(NewerEntities, MeshEntitiesDrawEachEdgeOfTheirFacesOnce)
{
    // Two triangles sharing an edge: five edges.
    const auto d = drawing({"0", "MESH", "8", "A", "100", "AcDbSubDMesh", "71", "2", "72", "0", "91", "0",
                            "92", "4", "10", "0", "20", "0", "30", "0", "10", "1", "20", "0", "30", "0",
                            "10", "1", "20", "1", "30", "0", "10", "0", "20", "1", "30", "0",
                            "93", "8", "90", "3", "90", "0", "90", "1", "90", "2", "90", "3", "90", "0", "90", "2",
                            "90", "3", "94", "0", "95", "0"});
    EXPECT_EQ(segments(record(d).all()).size(), 5u);
}

TEST(NewerEntities, MultilinesDrawEachElementInItsStyleColourWithCaps)
{
    const QStringList objects{"0", "MLINESTYLE", "5", "18", "2", "TWO", "70", "272", "62", "256", "71", "2",
                              "49", "0.5", "62", "1", "6", "BYLAYER", "49", "-0.5", "62", "5", "6", "BYLAYER"};
    QStringList e{"0", "MLINE", "8", "0", "2", "TWO", "40", "1", "70", "0", "71", "1", "72", "2", "73", "2",
                  "10", "0", "20", "0", "30", "0"};
    for (const char* x : {"0", "10"})
        e << QStringList{"11", x, "21", "0", "31", "0", "12", "1", "22", "0", "32", "0", "13", "0", "23", "1",
                         "33", "0", "74", "2", "41", "0.5", "41", "0", "75", "0", "74", "2", "41", "-0.5", "41",
                         "0", "75", "0"};
    const auto d = drawing(e, {}, objects);
    const auto all = record(d).all();
    const auto lines = shapes<RecordingBackend::Polyline>(all);
    ASSERT_EQ(lines.size(), 4u); // two elements, then a square cap at each end (flags 16 + 256)
    EXPECT_EQ(lines[0].points, (std::vector<QPointF>{{0, 0.5}, {10, 0.5}}));
    EXPECT_EQ(all[0].style.colour, red);
    EXPECT_EQ(lines[1].points, (std::vector<QPointF>{{0, -0.5}, {10, -0.5}}));
    EXPECT_EQ(all[1].style.colour, blue);
    EXPECT_EQ(lines[2].points, (std::vector<QPointF>{{0, 0.5}, {0, -0.5}}));
}

TEST(NewerEntities, MultileadersDrawLeaderLinesArrowheadsAndText)
{
    const auto d = drawing({"0", "MULTILEADER", "8", "B", "100", "AcDbMLeader", "300", "CONTEXT_DATA{",
                            "40", "1", "10", "10", "20", "10", "30", "0", "41", "2.5", "140", "2", "145", "1",
                            "290", "1", "304", "Note", "12", "12", "22", "10", "32", "0", "13", "1", "23", "0",
                            "33", "0", "42", "0", "43", "0", "171", "1", "296", "0", "302", "LEADER{", "290", "1",
                            "291", "1", "10", "10", "20", "10", "30", "0", "11", "1", "21", "0", "31", "0",
                            "90", "0", "40", "1.5", "304", "LEADER_LINE{", "10", "0", "20", "0", "30", "0",
                            "91", "0", "305", "}", "303", "}", "301", "}", "340", "1A", "170", "1", "291", "1",
                            "172", "2"});
    const auto all = record(d).all();
    const auto lines = shapes<RecordingBackend::Polyline>(all);
    ASSERT_EQ(lines.size(), 1u);
    // From the arrow tip to the landing, then the dogleg 1.5 along +x.
    EXPECT_EQ(lines[0].points, (std::vector<QPointF>{{0, 0}, {10, 10}, {11.5, 10}}));
    const auto arrows = shapes<RecordingBackend::Fill>(all);
    ASSERT_EQ(arrows.size(), 1u);
    EXPECT_EQ(arrows[0].loops[0][0], QPointF(0, 0)); // the tip
    const auto texts = shapes<cad::render::TextRun>(all);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Note");
    EXPECT_DOUBLE_EQ(texts[0].height, 2.5);
    for (const auto& p : all)
        EXPECT_EQ(p.style.colour, blue);
}

TEST(NewerEntities, TablesAreTheirBlockAtTheirPoint)
{
    const QStringList block{"0", "BLOCK", "8", "0", "2", "*T1", "70", "1", "10", "0", "20", "0", "30", "0",
                            "0", "LINE", "8", "0", "10", "0", "20", "0", "11", "5", "21", "0", "0", "ENDBLK"};
    const auto d = drawing({"0", "ACAD_TABLE", "8", "A", "100", "AcDbBlockReference", "2", "*T1", "10", "100",
                            "20", "50", "30", "0", "100", "AcDbTable", "11", "1", "21", "0", "31", "0"},
                           block);
    const auto lines = shapes<RecordingBackend::Polyline>(record(d).layer(1));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points, (std::vector<QPointF>{{100, 50}, {105, 50}}));
}

TEST(NewerEntities, WipeoutsMaskWithThePaperColourAndImagesShowTheirFrame)
{
    // A wipeout over (10,10)..(20,20), its boundary given as a rectangle.
    const auto d = drawing({"0", "WIPEOUT", "8", "A", "100", "AcDbWipeout", "10", "10", "20", "10", "30", "0",
                            "11", "10", "21", "0", "31", "0", "12", "0", "22", "10", "32", "0", "13", "1", "23",
                            "1", "70", "7", "280", "1", "71", "1", "91", "2", "14", "-0.5", "24", "-0.5", "14",
                            "0.5", "24", "0.5",
                            "0", "IMAGE", "8", "B", "100", "AcDbRasterImage", "10", "0", "20", "0", "30", "0",
                            "11", "0.5", "21", "0", "31", "0", "12", "0", "22", "0.5", "32", "0", "13", "100",
                            "23", "40", "280", "0"});
    const RecordingBackend r = record(d);
    const auto& wipeout = r.layer(1);
    ASSERT_EQ(wipeout.size(), 2u);
    const auto& fill = std::get<RecordingBackend::Fill>(wipeout[0].shape);
    EXPECT_EQ(wipeout[0].style.colour, white);
    ASSERT_EQ(fill.loops.size(), 1u);
    std::set<std::pair<double, double>> corners;
    for (QPointF p : fill.loops[0])
        corners.insert({p.x(), p.y()});
    EXPECT_EQ(corners, (std::set<std::pair<double, double>>{{10, 10}, {20, 10}, {20, 20}, {10, 20}}));
    EXPECT_EQ(wipeout[1].style.colour, red);
    // The image: 100 x 40 pixels of 0.5 units from the origin.
    const auto frame = shapes<RecordingBackend::Polyline>(r.layer(2));
    ASSERT_EQ(frame.size(), 1u);
    EXPECT_TRUE(frame[0].closed);
    const auto box = cad::modelExtents(d);
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->left(), 0, 1e-9);
    EXPECT_NEAR(box->right(), 50, 1e-9);
    EXPECT_NEAR(box->bottom(), 20, 1e-9);
}

TEST(NewerEntities, EndlessLinesReachTheFrameAndStayOutOfTheExtents)
{
    const auto d = drawing({"0", "LINE", "8", "A", "10", "0", "20", "0", "11", "1", "21", "1",
                            "0", "XLINE", "8", "A", "100", "AcDbXline", "10", "0", "20", "0", "30", "0", "11",
                            "1", "21", "0", "31", "0",
                            "0", "RAY", "8", "A", "100", "AcDbRay", "10", "0", "20", "0", "30", "0", "11", "0",
                            "21", "1", "31", "0"});
    const auto box = cad::modelExtents(d);
    ASSERT_TRUE(box);
    EXPECT_EQ(*box, QRectF(0, 0, 1, 1));
    const auto lines = shapes<RecordingBackend::Polyline>(record(d, QRectF(-5, -3, 10, 6)).all());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1].points, (std::vector<QPointF>{{-5, 0}, {5, 0}}));
    EXPECT_EQ(lines[2].points, (std::vector<QPointF>{{0, 0}, {0, 3}})); // a ray runs one way only
}

TEST(NewerEntities, ProxyEntitiesDrawTheirGraphicsOnTheLayersTheyName)
{
    // A proxy on layer A whose graphics set layer #2 (B) and draw a circle,
    // then go back to layer #0 and draw a line.
    auto le = [](std::uint32_t v) {
        QByteArray b;
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
        return b;
    };
    auto d64 = [](double v) {
        QByteArray b(8, 0);
        std::memcpy(b.data(), &v, 8);
        return b;
    };
    auto rec = [&](std::uint32_t type, const QByteArray& data) { return le(std::uint32_t(data.size() + 8)) + le(type) + data; };
    QByteArray body = rec(16, le(2)) + rec(2, d64(3) + d64(4) + d64(0) + d64(1.5) + d64(0) + d64(0) + d64(1))
                      + rec(16, le(0)) + rec(6, le(2) + d64(0) + d64(0) + d64(0) + d64(8) + d64(0) + d64(0));
    const QByteArray stream = le(std::uint32_t(body.size() + 8)) + le(4) + body;
    const QString hex = QString::fromLatin1(stream.toHex().toUpper());
    QStringList e{"0", "ACAD_PROXY_ENTITY", "8", "A", "100", "AcDbProxyEntity", "90", "498", "91", "0", "92",
                  QString::number(stream.size())};
    for (qsizetype i = 0; i < hex.size(); i += 64)
        e << "310" << hex.mid(i, 64);
    e << "93" << "32" << "310" << "00000000";
    const auto d = drawing(e);
    const RecordingBackend r = record(d);
    const auto circles = shapes<RecordingBackend::Circle>(r.layer(2));
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(circles[0].centre, QPointF(3, 4));
    EXPECT_DOUBLE_EQ(circles[0].radius, 1.5);
    EXPECT_EQ(r.layer(2)[0].style.colour, blue);
    // Layer 0 inside the proxy's picture is the proxy's own layer, as in a block.
    const auto lines = shapes<RecordingBackend::Polyline>(r.layer(1));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(r.layer(1)[0].style.colour, red);
    const auto box = cad::modelExtents(d);
    ASSERT_TRUE(box);
    EXPECT_NEAR(box->top(), 0, 1e-9);
    EXPECT_NEAR(box->bottom(), 5.5, 1e-9);
    EXPECT_NEAR(box->right(), 8, 1e-9);
}

TEST(NewerEntities, AMultilineClaimingManyElementsHoldsOnlyThoseItHas)
{
    const auto d = drawing({"0", "MLINE", "8", "A", "2", "NONE", "73", "1000", "72", "1", "11", "0", "21", "0",
                            "13", "0", "23", "1", "74", "1", "41", "0.5"});
    ASSERT_EQ(d.entities.size(), 1u);
    const auto* mline = std::get_if<cad::MLineGeom>(&d.entities[0].geometry);
    ASSERT_NE(mline, nullptr);
    EXPECT_EQ(mline->elements.size(), 1u);
}
