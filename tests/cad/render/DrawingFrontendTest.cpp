#include "DrawingBuilder.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/RecordingBackend.h"

#include <gtest/gtest.h>

using cad::render::DrawingFrontend;
using cad::render::RecordingBackend;
using cad::render::TextRun;
using testing_render::DrawingBuilder;

namespace {

constexpr QRgb red = 0xFFFF0000, green = 0xFF00FF00, blue = 0xFF0000FF, black = 0xFF000000;

RecordingBackend record(const cad::Drawing& drawing)
{
    RecordingBackend recording;
    DrawingFrontend(drawing, 0.001).drawModelSpace(recording);
    return recording;
}

const RecordingBackend::Polyline& polylineOf(const RecordingBackend::Primitive& p)
{
    return std::get<RecordingBackend::Polyline>(p.shape);
}

void expectNear(QPointF actual, QPointF expected)
{
    EXPECT_NEAR(actual.x(), expected.x(), 1e-9);
    EXPECT_NEAR(actual.y(), expected.y(), 1e-9);
}

} // namespace

TEST(DrawingFrontend, ColoursComeFromTheLayerOrTheEntityAndSevenIsBlack)
{
    DrawingBuilder b;
    const int redLayer = b.layer("R", 1);
    b.layer("W", 7);
    b.add(b.line("R", {0, 0}, {1, 0}));
    b.add(b.line("W", {0, 0}, {1, 0}));
    b.add(b.line("W", {0, 0}, {1, 0}, 3));
    b.add(b.line("R", {0, 0}, {1, 0}, 7));
    const RecordingBackend recording = record(b.drawing());
    const auto& onRed = recording.layer(redLayer);
    const auto& onWhite = recording.layer(redLayer + 1);
    ASSERT_EQ(onRed.size(), 2u);
    ASSERT_EQ(onWhite.size(), 2u);
    EXPECT_EQ(onRed[0].style.colour, red);
    EXPECT_EQ(onRed[1].style.colour, black); // its own colour 7
    EXPECT_EQ(onWhite[0].style.colour, black); // the layer's colour 7
    EXPECT_EQ(onWhite[1].style.colour, green);
}

TEST(DrawingFrontend, LayersThatAreOffOrFrozenDrawNothing)
{
    DrawingBuilder b;
    b.layer("off", 1, false, false);
    b.layer("frozen", 1, true, true);
    b.layer("shown", 1);
    b.add(b.line("off", {0, 0}, {1, 0}));
    b.add(b.line("frozen", {0, 0}, {1, 0}));
    b.add(b.line("shown", {0, 0}, {1, 0}));
    b.add(b.line("not-in-table", {0, 0}, {1, 0}));
    const RecordingBackend recording = record(b.drawing());
    EXPECT_EQ(recording.size(), 2u);
    EXPECT_EQ(recording.layer(3).size(), 1u);
    EXPECT_EQ(recording.layer(-1).size(), 1u); // a layer the table lacks still draws
}

TEST(DrawingFrontend, LayerZeroInsideABlockTakesTheInsertsLayerAndByBlockItsColour)
{
    DrawingBuilder b;
    const int insertLayer = b.layer("doors", 1);
    const int ownLayer = b.layer("frames", 3);
    b.block("D", {b.line("0", {0, 0}, {1, 0}), b.line("frames", {0, 0}, {1, 0}, cad::color::kByBlock),
                  b.line("0", {0, 0}, {1, 0}, cad::color::kByBlock)});
    b.add(b.insert("doors", "D", {0, 0}, 5));
    const auto all = record(b.drawing()).all();
    ASSERT_EQ(all.size(), 3u);
    const auto& onInsertLayer = record(b.drawing()).layer(insertLayer);
    ASSERT_EQ(onInsertLayer.size(), 2u);
    EXPECT_EQ(onInsertLayer[0].style.colour, red);  // ByLayer of the insert's layer
    EXPECT_EQ(onInsertLayer[1].style.colour, blue); // ByBlock: the insert's own colour 5
    const auto& onOwnLayer = record(b.drawing()).layer(ownLayer);
    ASSERT_EQ(onOwnLayer.size(), 1u);
    EXPECT_EQ(onOwnLayer[0].style.colour, blue);
}

TEST(DrawingFrontend, AnInsertOnAnOffLayerStillShowsItsOtherLayersButAFrozenOneHidesAll)
{
    DrawingBuilder b;
    b.layer("off", 1, false, false);
    b.layer("frozen", 1, true, true);
    const int other = b.layer("other", 2);
    b.block("B", {b.line("0", {0, 0}, {1, 0}), b.line("other", {0, 0}, {1, 0})});
    b.add(b.insert("off", "B", {0, 0}));
    RecordingBackend recording = record(b.drawing());
    EXPECT_EQ(recording.size(), 1u);
    EXPECT_EQ(recording.layer(other).size(), 1u);

    DrawingBuilder f;
    f.layer("frozen", 1, true, true);
    f.layer("other", 2);
    f.block("B", {f.line("0", {0, 0}, {1, 0}), f.line("other", {0, 0}, {1, 0})});
    f.add(f.insert("frozen", "B", {0, 0}));
    EXPECT_EQ(record(f.drawing()).size(), 0u);
}

TEST(DrawingFrontend, InsertsAreMovedScaledRotatedAndRepeated)
{
    DrawingBuilder b;
    b.block("B", {b.line("0", {1, 0}, {2, 0})}, QPointF(1, 0));
    cad::Entity e = b.insert("0", "B", {10, 10});
    auto& geometry = std::get<cad::InsertGeom>(e.geometry);
    geometry.scaleX = geometry.scaleY = 2;
    geometry.rotation = 90;
    b.add(e);
    auto all = record(b.drawing()).all();
    ASSERT_EQ(all.size(), 1u);
    expectNear(polylineOf(all[0]).points[0], {10, 10});
    expectNear(polylineOf(all[0]).points[1], {10, 12});

    DrawingBuilder a;
    a.block("B", {a.line("0", {0, 0}, {1, 0})});
    cad::Entity grid = a.insert("0", "B", {0, 0});
    auto& cells = std::get<cad::InsertGeom>(grid.geometry);
    cells.columns = 3;
    cells.rows = 2;
    cells.columnSpacing = 10;
    cells.rowSpacing = 5;
    a.add(grid);
    all = record(a.drawing()).all();
    ASSERT_EQ(all.size(), 6u);
    expectNear(polylineOf(all.back()).points[0], {20, 5});
}

TEST(DrawingFrontend, ABlockThatInsertsItselfEnds)
{
    DrawingBuilder b;
    b.block("Loop", {b.line("0", {0, 0}, {1, 0}), b.insert("0", "Loop", {1, 0})});
    b.add(b.insert("0", "Loop", {0, 0}));
    const RecordingBackend recording = record(b.drawing());
    EXPECT_GT(recording.size(), 0u);
    EXPECT_LT(recording.size(), 100u);
}

TEST(DrawingFrontend, CirclesStayCirclesOnlyUnderUniformScale)
{
    DrawingBuilder b;
    b.block("C", {b.entity("0", cad::CircleGeom{{0, 0}, 1}, cad::EntityType::Circle)});
    cad::Entity uniform = b.insert("0", "C", {5, 5});
    std::get<cad::InsertGeom>(uniform.geometry).scaleX = 3;
    std::get<cad::InsertGeom>(uniform.geometry).scaleY = 3;
    cad::Entity stretched = b.insert("0", "C", {0, 0});
    std::get<cad::InsertGeom>(stretched.geometry).scaleX = 2;
    b.add(uniform);
    b.add(stretched);
    const auto all = record(b.drawing()).all();
    ASSERT_EQ(all.size(), 2u);
    const auto& circle = std::get<RecordingBackend::Circle>(all[0].shape);
    EXPECT_DOUBLE_EQ(circle.radius, 3);
    expectNear(circle.centre, {5, 5});
    const auto& ellipse = polylineOf(all[1]);
    double maxX = 0, maxY = 0;
    for (QPointF p : ellipse.points) {
        maxX = std::max(maxX, p.x());
        maxY = std::max(maxY, p.y());
    }
    EXPECT_NEAR(maxX, 2, 1e-3);
    EXPECT_NEAR(maxY, 1, 1e-3);
}

TEST(DrawingFrontend, TextIsPlacedByItsAlignment)
{
    DrawingBuilder b;
    cad::TextGeom centred;
    centred.insert = {0, 0};
    centred.alignPoint = {5, 5};
    centred.height = 2;
    centred.hAlign = 1;
    centred.text = "%%c10";
    b.add(b.entity("0", centred, cad::EntityType::Text));
    cad::TextGeom top = centred;
    top.hAlign = 2;
    top.vAlign = 3;
    top.text = "R";
    b.add(b.entity("0", top, cad::EntityType::Text));
    cad::MTextGeom block;
    block.insert = {0, 0};
    block.height = 1;
    block.attachment = 5; // middle centre
    block.text = "{\\fArial|b1;one}\\Ptwo";
    b.add(b.entity("0", block, cad::EntityType::MText));
    const auto all = record(b.drawing()).all();
    ASSERT_EQ(all.size(), 4u);
    const auto& first = std::get<TextRun>(all[0].shape);
    EXPECT_EQ(first.text, QString::fromUtf8("Ø10")); // the diameter sign every code page holds
    EXPECT_EQ(first.align, TextRun::Align::Center);
    expectNear(first.position, {5, 5});
    const auto& second = std::get<TextRun>(all[1].shape);
    EXPECT_EQ(second.align, TextRun::Align::Right);
    expectNear(second.position, {5, 3}); // the top of the capitals at the point
    const auto& one = std::get<TextRun>(all[2].shape);
    const auto& two = std::get<TextRun>(all[3].shape);
    EXPECT_EQ(one.text, "one");
    EXPECT_EQ(two.text, "two");
    // Two lines centred on the insertion point: one above, one below.
    EXPECT_GT(one.position.y(), 0);
    EXPECT_LT(two.position.y(), 0);
    EXPECT_NEAR(one.position.y() - two.position.y(), 5.0 / 3.0, 1e-9);
}

TEST(DrawingFrontend, PaperSpaceAndEntitiesWithoutGeometryAreNotDrawn)
{
    DrawingBuilder b;
    cad::Entity paper = b.line("0", {0, 0}, {1, 0});
    paper.layout = 1;
    b.add(paper);
    b.add(b.entity("0", std::monostate{}, cad::EntityType::Other));
    RecordingBackend recording;
    DrawingFrontend frontend(b.drawing(), 0.01);
    frontend.drawModelSpace(recording);
    EXPECT_EQ(recording.size(), 0u);
    EXPECT_EQ(frontend.skippedEntities(), 1u);
}

TEST(DrawingFrontend, SolidFillsAndHatchOutlines)
{
    DrawingBuilder b;
    cad::QuadGeom solid{{QPointF(0, 0), QPointF(1, 0), QPointF(0, 1), QPointF(1, 1)}};
    b.add(b.entity("0", solid, cad::EntityType::Solid));
    cad::HatchGeom pattern;
    pattern.loops.push_back({{{QPointF(0, 0)}, {QPointF(1, 0)}, {QPointF(1, 1)}}});
    b.add(b.entity("0", pattern, cad::EntityType::Hatch));
    const auto all = record(b.drawing()).all();
    ASSERT_EQ(all.size(), 2u);
    const auto& fill = std::get<RecordingBackend::Fill>(all[0].shape);
    ASSERT_EQ(fill.loops.size(), 1u);
    // Corners 0-1-3-2: a square, not a bow tie.
    expectNear(fill.loops[0][2], {1, 1});
    expectNear(fill.loops[0][3], {0, 1});
    EXPECT_TRUE(polylineOf(all[1]).closed);
}
