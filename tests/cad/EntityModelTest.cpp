// The entity model a drawing is read into, and the extents computed from it:
// each entity's geometry as the picture renderer needs it.

#include "cad/Extents.h"
#include "cad/dxf/DxfLoader.h"

#include <QStringList>

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace cad;

/// A drawing whose ENTITIES section holds `entities` (code/value pairs), and
/// whose BLOCKS section holds `blocks`.
dxf::LoadedDrawing drawing(const QStringList& entities, const QStringList& blocks = {})
{
    QStringList all{"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1015", "0", "ENDSEC"};
    all << "0" << "SECTION" << "2" << "BLOCKS" << blocks << "0" << "ENDSEC";
    all << "0" << "SECTION" << "2" << "ENTITIES" << entities << "0" << "ENDSEC" << "0" << "EOF";
    return dxf::loadDxf(all.join('\n').toUtf8() + '\n');
}

template <typename G>
const G& geometry(const dxf::LoadedDrawing& d, size_t index = 0)
{
    EXPECT_LT(index, d.drawing.entities.size());
    const G* g = std::get_if<G>(&d.drawing.entities.at(index).geometry);
    EXPECT_NE(g, nullptr);
    static const G none{};
    return g ? *g : none;
}

void expectBox(const std::optional<QRectF>& box, double x0, double y0, double x1, double y1)
{
    ASSERT_TRUE(box.has_value());
    EXPECT_NEAR(box->left(), x0, 1e-6);
    EXPECT_NEAR(box->top(), y0, 1e-6);
    EXPECT_NEAR(box->right(), x1, 1e-6);
    EXPECT_NEAR(box->bottom(), y1, 1e-6);
}

TEST(EntityModel, PolylinesFoldTheirVerticesAndKeepBulgesAndWidths)
{
    const auto d = drawing({"0", "POLYLINE", "8", "A", "66", "1", "70", "1", "40", "0.5", "41", "0.5",
                            "0", "VERTEX", "10", "0", "20", "0", "42", "1",
                            "0", "VERTEX", "10", "10", "20", "0",
                            "0", "VERTEX", "70", "128", "71", "1", "72", "2", // a face record, not a point
                            "0", "SEQEND",
                            "0", "LWPOLYLINE", "8", "B", "90", "2", "70", "0", "43", "2",
                            "10", "1", "20", "2", "42", "-0.5", "10", "3", "20", "4"});
    ASSERT_EQ(d.drawing.entities.size(), 2u);
    const auto& p = geometry<PolylineGeom>(d, 0);
    EXPECT_TRUE(p.closed);
    ASSERT_EQ(p.vertices.size(), 2u);
    EXPECT_DOUBLE_EQ(p.vertices[0].bulge, 1.0);
    EXPECT_DOUBLE_EQ(p.vertices[0].startWidth, 0.5);
    const auto& lw = geometry<PolylineGeom>(d, 1);
    EXPECT_DOUBLE_EQ(lw.constantWidth, 2.0);
    ASSERT_EQ(lw.vertices.size(), 2u);
    EXPECT_EQ(lw.vertices[1].pos, QPointF(3, 4));
    EXPECT_DOUBLE_EQ(lw.vertices[0].bulge, -0.5);
    // A half-circle bulge from (0,0) to (10,0): a positive bulge turns
    // counter-clockwise, so the arc passes below the chord down to y = -5.
    // The second polyline's clockwise arc swells past its end point (3,4).
    const auto box = modelExtents(d.drawing);
    ASSERT_TRUE(box.has_value());
    EXPECT_NEAR(box->left(), 0, 1e-9);
    EXPECT_NEAR(box->top(), -5, 1e-9);
    EXPECT_NEAR(box->right(), 10, 1e-9);
    EXPECT_GT(box->bottom(), 4.0);
    EXPECT_LT(box->bottom(), 4.1);
}

TEST(EntityModel, InsertsKeepAttributesAndArraysAndResolveTheirBlock)
{
    const auto d = drawing({"0", "INSERT", "8", "A", "66", "1", "2", "box", "10", "100", "20", "0",
                            "41", "2", "42", "3", "50", "90", "70", "2", "71", "3", "44", "10", "45", "20",
                            "0", "ATTRIB", "8", "A", "10", "1", "20", "2", "40", "2.5", "1", "VALUE", "2", "TAG",
                            "72", "1", "74", "2",
                            "0", "ATTRIB", "8", "A", "70", "1", "1", "hidden",
                            "0", "SEQEND"},
                           {"0", "BLOCK", "2", "BOX", "10", "1", "20", "1",
                            "0", "LINE", "8", "0", "10", "1", "20", "1", "11", "2", "21", "1",
                            "0", "ATTDEF", "8", "0", "10", "0", "20", "0", "2", "TAG", "1", "def",
                            "0", "ENDBLK"});
    ASSERT_EQ(d.drawing.entities.size(), 1u);
    const Entity& e = d.drawing.entities[0];
    const auto& in = geometry<InsertGeom>(d);
    EXPECT_EQ(in.columns, 2);
    EXPECT_EQ(in.rows, 3);
    EXPECT_DOUBLE_EQ(in.rotation, 90);
    ASSERT_TRUE(e.attributes);
    ASSERT_EQ(e.attributes->size(), 1u); // the invisible one is left out
    const auto& attr = std::get<TextGeom>(e.attributes->front().geometry);
    EXPECT_EQ(attr.text, QStringLiteral("VALUE"));
    EXPECT_EQ(attr.vAlign, 2);
    EXPECT_EQ(attr.hAlign, 1);
    // The block is found whatever the spelling; its ATTDEF has no geometry.
    const BlockDefinition* block = d.drawing.block(in.block);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->basePoint, QPointF(1, 1));
    ASSERT_EQ(block->entities.size(), 2u);
    EXPECT_EQ(block->entities[1].type, EntityType::AttributeDefinition);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(block->entities[1].geometry));

    // The block line (1,1)-(2,1) relative to base (1,1) is (0,0)-(1,0);
    // scaled by 2 it runs to x=2; rotated 90° it runs up to y=2. Columns step
    // 10 along the rotated x axis (up), rows 20 along the rotated y axis (left).
    const QTransform cell = insertTransform(in, block->basePoint, 1, 2);
    EXPECT_NEAR(cell.map(QPointF(2, 1)).x(), 100 - 40, 1e-9);
    EXPECT_NEAR(cell.map(QPointF(2, 1)).y(), 10 + 2, 1e-9);
}

TEST(EntityModel, MirroredObjectCoordinatesFlipX)
{
    // Extrusion (0,0,-1): the arc's centre and angles mirror about the y axis.
    const auto d = drawing({"0", "ARC", "8", "A", "10", "5", "20", "0", "40", "1", "50", "0", "51", "90",
                            "210", "0", "220", "0", "230", "-1"});
    const auto& a = geometry<ArcGeom>(d);
    EXPECT_EQ(a.center, QPointF(-5, 0));
    EXPECT_DOUBLE_EQ(a.startAngle, 90);
    EXPECT_DOUBLE_EQ(a.endAngle, 180);
    expectBox(modelExtents(d.drawing), -6, 0, -5, 1);

    // A 2D polyline's vertices follow it into the mirrored system; a 3D one
    // is in world coordinates.
    const auto p = drawing({"0", "POLYLINE", "66", "1", "70", "0", "230", "-1",
                            "0", "VERTEX", "10", "2", "20", "1", "42", "0.5", "0", "SEQEND",
                            "0", "POLYLINE", "66", "1", "70", "8", "230", "-1",
                            "0", "VERTEX", "10", "2", "20", "1", "0", "SEQEND"});
    EXPECT_EQ(geometry<PolylineGeom>(p, 0).vertices.at(0).pos, QPointF(-2, 1));
    EXPECT_DOUBLE_EQ(geometry<PolylineGeom>(p, 0).vertices.at(0).bulge, -0.5);
    EXPECT_EQ(geometry<PolylineGeom>(p, 1).vertices.at(0).pos, QPointF(2, 1));
}

TEST(EntityModel, HatchBoundariesFromPolylineAndEdgeLoops)
{
    const auto d = drawing({"0", "HATCH", "8", "H", "2", "SOLID", "70", "1", "91", "2",
                            // a polyline loop with a bulge
                            "92", "2", "72", "1", "73", "1", "93", "2",
                            "10", "0", "20", "0", "42", "0", "10", "4", "20", "0", "42", "0", "97", "0",
                            // an edge loop: a line and a counter-clockwise half arc
                            "92", "1", "93", "2",
                            "72", "1", "10", "10", "20", "0", "11", "12", "21", "0",
                            "72", "2", "10", "11", "20", "0", "40", "1", "50", "0", "51", "180", "73", "1",
                            "97", "0", "75", "0", "76", "1", "98", "1", "10", "99", "20", "99"});
    const auto& h = geometry<HatchGeom>(d);
    EXPECT_TRUE(h.solidFill);
    EXPECT_EQ(h.patternName, QStringLiteral("SOLID"));
    ASSERT_EQ(h.loops.size(), 2u);
    EXPECT_EQ(h.loops[0].vertices.size(), 2u);
    ASSERT_EQ(h.loops[1].vertices.size(), 3u);
    EXPECT_NEAR(h.loops[1].vertices[1].pos.x(), 12, 1e-9); // the arc starts at angle 0
    EXPECT_NEAR(h.loops[1].vertices[1].bulge, 1, 1e-9);    // a half circle
    // The seed point (99,99) is not part of the boundary.
    expectBox(modelExtents(d.drawing), 0, 0, 12, 1);
}

TEST(EntityModel, TextAndMTextPlacement)
{
    const auto d = drawing({"0", "TEXT", "8", "T", "10", "0", "20", "0", "11", "10", "21", "5", "40", "2",
                            "50", "30", "51", "15", "71", "2", "72", "2", "73", "3", "1", "ABC",
                            "0", "MTEXT", "8", "T", "10", "1", "20", "2", "40", "3", "41", "50", "71", "5",
                            "11", "0", "21", "1", "3", "first part ", "1", "second\\Pline",
                            "101", "Embedded Object", "10", "999", "20", "999"});
    const auto& t = geometry<TextGeom>(d, 0);
    EXPECT_EQ(t.alignPoint, QPointF(10, 5));
    EXPECT_EQ(t.hAlign, 2);
    EXPECT_EQ(t.vAlign, 3);
    EXPECT_DOUBLE_EQ(t.rotation, 30);
    EXPECT_DOUBLE_EQ(t.oblique, 15);
    EXPECT_EQ(t.generation, 2); // backwards
    const auto& m = geometry<MTextGeom>(d, 1);
    EXPECT_EQ(m.insert, QPointF(1, 2)); // the embedded object's 10/20 do not count
    EXPECT_EQ(m.text, QStringLiteral("first part second\\Pline"));
    EXPECT_EQ(m.attachment, 5);
    EXPECT_NEAR(m.rotation, 90, 1e-9); // from the direction vector
}

TEST(EntityModel, ColoursLinetypesAndPaperSpace)
{
    const auto d = drawing({"0", "LINE", "8", "A", "62", "0", "6", "BYLAYER", "10", "0", "20", "0", "11", "1", "21", "1",
                            "0", "LINE", "8", "A", "62", "5", "6", "DASHED", "420", "16711680", "67", "1",
                            "0", "LINE", "10", "0", "20", "0", "11", "1", "21", "1"});
    const auto& es = d.drawing.entities;
    ASSERT_EQ(es.size(), 3u);
    EXPECT_EQ(es[0].color, color::kByBlock);
    EXPECT_EQ(es[0].linetype, kNoName); // ByLayer
    EXPECT_EQ(es[0].layout, kModelSpace);
    EXPECT_EQ(es[1].color, 5);
    EXPECT_EQ(d.drawing.names.name(es[1].linetype), QStringLiteral("DASHED"));
    EXPECT_EQ(es[1].trueColor, 0xFF0000);
    EXPECT_EQ(es[1].layout, 1);
    ASSERT_EQ(d.drawing.layouts.size(), 1u);
    EXPECT_EQ(es[2].color, color::kByLayer);
    EXPECT_EQ(d.drawing.names.name(es[2].layer), QStringLiteral("0"));
    // Paper space is not part of the model-space extents.
    expectBox(modelExtents(d.drawing), 0, 0, 1, 1);
}

TEST(EntityModel, LayoutBlocksHoldDrawingEntitiesFromR13On)
{
    const auto d = drawing({}, {"0", "BLOCK", "2", "*Paper_Space0", "0", "CIRCLE", "8", "P", "10", "0", "20", "0",
                                "40", "1", "0", "ENDBLK", "0", "BLOCK", "2", "*Model_Space", "0", "POINT", "8", "M",
                                "10", "3", "20", "4", "0", "ENDBLK"});
    ASSERT_EQ(d.drawing.entities.size(), 2u);
    EXPECT_TRUE(d.drawing.blocks.empty());
    EXPECT_EQ(d.drawing.entities[0].layout, 1);
    EXPECT_EQ(d.drawing.layouts.at(0).blockName, QStringLiteral("*Paper_Space0"));
    EXPECT_EQ(d.drawing.entities[1].layout, kModelSpace);
    expectBox(modelExtents(d.drawing), 3, 4, 3, 4);
}

} // namespace
