// Linetypes, lineweights, polyline widths, hatch fills and arcs as the
// frontend hands them to a backend (and arcs as the metafile keeps them).

#include "DrawingBuilder.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/HatchPattern.h"
#include "cad/render/RecordingBackend.h"
#include "cad/macros/PictureMacros.h"
#include "cad/text/TextLayout.h"
#include "metafile/WmfPicture.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

using cad::render::DrawingFrontend;
using cad::render::RecordingBackend;
using cad::render::TextRun;
using testing_render::DrawingBuilder;
using testing_render::shapes;

namespace {

constexpr double tolerance = 0.001;

/// Adds a linetype to the drawing's table; returns its name id.
cad::NameId addLinetype(DrawingBuilder& b, const QString& name, std::vector<double> pattern)
{
    cad::Drawing& d = b.drawing();
    d.linetypes.push_back(name);
    d.linetypePatterns.push_back({std::move(pattern), {}});
    return d.names.intern(name);
}

RecordingBackend record(const cad::Drawing& drawing, double lineweightScale = 0)
{
    RecordingBackend recording;
    DrawingFrontend frontend(drawing, tolerance);
    frontend.setLineweightScale(lineweightScale);
    frontend.drawModelSpace(recording);
    return recording;
}

/// The polylines recorded, in order.
std::vector<std::vector<QPointF>> polylines(const RecordingBackend& r)
{
    std::vector<std::vector<QPointF>> out;
    for (const auto& p : r.all())
        if (const auto* line = std::get_if<RecordingBackend::Polyline>(&p.shape))
            out.push_back(line->points);
    return out;
}

double length(const std::vector<QPointF>& points)
{
    double sum = 0;
    for (std::size_t i = 1; i < points.size(); ++i)
        sum += std::hypot(points[i].x() - points[i - 1].x(), points[i].y() - points[i - 1].y());
    return sum;
}

/// The x ranges of horizontal pieces lying at height y.
std::vector<std::pair<double, double>> piecesAt(const RecordingBackend& r, double y)
{
    std::vector<std::pair<double, double>> out;
    for (const auto& line : polylines(r))
        if (line.size() == 2 && std::abs(line[0].y() - y) < 1e-9 && std::abs(line[1].y() - y) < 1e-9)
            out.emplace_back(std::min(line[0].x(), line[1].x()), std::max(line[0].x(), line[1].x()));
    std::sort(out.begin(), out.end());
    return out;
}

cad::Entity polyline(DrawingBuilder& b, std::vector<cad::PolyVertex> vertices, bool closed = false)
{
    cad::PolylineGeom g;
    g.vertices = std::move(vertices);
    g.closed = closed;
    return b.entity("0", g, cad::EntityType::LwPolyline);
}

} // namespace

TEST(Linetypes, ADashedLineGivesDashesOfTheScaledLengths)
{
    DrawingBuilder b;
    const cad::NameId dashed = addLinetype(b, "DASHED", {0.5, -0.25});
    b.drawing().linetypeScale = 2; // $LTSCALE 2 times the entity's 1.5: dash 1.5, gap 0.75
    cad::Entity line = b.line("0", {0, 0}, {10, 0});
    line.linetype = dashed;
    line.linetypeScale = 1.5f;
    b.add(line);
    const auto dashes = polylines(record(b.drawing()));
    // 10 / 2.25 = 4 whole repetitions and 1.0 of a dash.
    ASSERT_EQ(dashes.size(), 5u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(dashes[i].front().x(), i * 2.25, 1e-9);
        EXPECT_NEAR(length(dashes[i]), 1.5, 1e-9);
    }
    EXPECT_NEAR(dashes[4].front().x(), 9.0, 1e-9);
    EXPECT_NEAR(dashes[4].back().x(), 10.0, 1e-9);
}

TEST(Linetypes, AComplexLinetypeWritesItsTextInItsGaps)
{
    // dash 0.5, gap 0.2 with "GAS" at its end moved back 0.1 and down 0.05,
    // gap 0.25: a repetition of 0.95, at $LTSCALE 10.
    DrawingBuilder b;
    cad::Drawing& d = b.drawing();
    cad::LinetypeText gas;
    gas.element = 1;
    gas.text = QStringLiteral("GAS");
    gas.height = 0.1;
    gas.offset = {-0.1, -0.05};
    d.linetypes.push_back(QStringLiteral("GAS_LINE"));
    d.linetypePatterns.push_back({{0.5, -0.2, -0.25}, {gas}});
    d.linetypeScale = 10;
    cad::Entity up = b.line("0", {0, 0}, {0, 20}); // two whole repetitions and a bit, running up
    up.linetype = d.names.intern(QStringLiteral("GAS_LINE"));
    b.add(up);
    const std::vector<TextRun> texts = shapes<TextRun>(record(d).all());
    ASSERT_EQ(texts.size(), 2u); // at 6 and 15.5; the next, at 25, would lie past the end
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(texts[i].text, "GAS");
        EXPECT_NEAR(texts[i].height, 1, 1e-9);
        EXPECT_NEAR(texts[i].rotationDegrees, 90, 1e-9); // along the line
        EXPECT_NEAR(texts[i].position.y(), 6 + 9.5 * double(i), 1e-9);
        EXPECT_NEAR(texts[i].position.x(), 0.5, 1e-9); // "down" is to the right of a line running up
    }

    // Kept upright: on a line running left, the text is turned round about
    // its middle instead of reading upside down.
    d.linetypePatterns.back().texts.back().upright = true;
    d.entities.back().geometry = cad::LineGeom{{20, 0}, {0, 0}};
    const std::vector<TextRun> turned = shapes<TextRun>(record(d).all());
    ASSERT_EQ(turned.size(), 2u);
    EXPECT_NEAR(std::remainder(turned[0].rotationDegrees, 360), 0, 1e-9);
    EXPECT_NEAR(turned[0].position.y(), 0.5 - 1, 1e-9); // the baseline one text height lower
    EXPECT_NEAR(turned[0].position.x(), 14 - cad::text::textWidth("GAS", 1), 1e-9); // starting where it ended

    // An absolute rotation keeps to the x axis of the block the line is in.
    cad::LinetypeText& fixed = d.linetypePatterns.back().texts.back();
    fixed.upright = false;
    fixed.absolute = true;
    fixed.rotation = M_PI / 6; // 30 degrees
    d.entities.clear();
    cad::Entity inBlock = b.line("0", {0, 0}, {20, 0});
    inBlock.linetype = d.names.intern(QStringLiteral("GAS_LINE"));
    b.block("PIPE", {inBlock});
    cad::Entity turnedInsert = b.insert("0", "PIPE", {0, 0});
    std::get<cad::InsertGeom>(turnedInsert.geometry).rotation = 90;
    b.add(turnedInsert);
    const std::vector<TextRun> inInsert = shapes<TextRun>(record(b.drawing()).all());
    ASSERT_EQ(inInsert.size(), 2u);
    EXPECT_NEAR(inInsert[0].rotationDegrees, 120, 1e-9);
    EXPECT_NEAR(inInsert[0].position.y(), 6, 1e-9); // the line runs up the picture
}

TEST(Linetypes, ContinuousTooFineAndTooShortLinesStaySolid)
{
    DrawingBuilder b;
    const cad::NameId dashed = addLinetype(b, "DASHED", {0.5, -0.25});
    addLinetype(b, "Continuous", {});
    cad::Entity shortLine = b.line("0", {0, 0}, {0.6, 0}); // shorter than one repetition
    shortLine.linetype = dashed;
    b.add(shortLine);
    cad::Entity fine = b.line("0", {0, 1}, {10, 1});
    fine.linetype = dashed;
    fine.linetypeScale = 0.001f; // a repetition of 0.00075, far under the tolerance
    b.add(fine);
    cad::Entity continuous = b.line("0", {0, 2}, {10, 2});
    continuous.linetype = b.drawing().names.intern("CONTINUOUS");
    b.add(continuous);
    const auto lines = polylines(record(b.drawing()));
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines)
        EXPECT_EQ(line.size(), 2u);
}

TEST(Linetypes, ByLayerAndByBlockInsideABlock)
{
    DrawingBuilder b;
    const int doors = b.layer("doors");
    const cad::NameId hidden = addLinetype(b, "HIDDEN", {1, -1});
    b.drawing().layers[std::size_t(doors)].linetype = "hidden"; // names match without case
    const cad::NameId byBlock = b.drawing().names.intern("BYBLOCK");
    cad::Entity inner = b.line("0", {0, 0}, {10, 0});
    inner.linetype = byBlock;
    b.block("B", {inner});
    cad::Entity dashedInsert = b.insert("0", "B", {0, 0});
    dashedInsert.linetype = hidden;
    b.add(dashedInsert);
    b.add(b.insert("0", "B", {0, 5})); // ByLayer on layer 0: continuous, so the block's line is too
    cad::Entity onDoors = b.line("doors", {0, 10}, {10, 10}); // ByLayer: the layer's HIDDEN
    b.add(onDoors);
    cad::Entity topLevelByBlock = b.line("0", {0, 15}, {10, 15}); // ByBlock outside a block: continuous
    topLevelByBlock.linetype = byBlock;
    b.add(topLevelByBlock);

    const RecordingBackend r = record(b.drawing());
    EXPECT_EQ(piecesAt(r, 0).size(), 5u);
    EXPECT_EQ(piecesAt(r, 0)[1], std::make_pair(2.0, 3.0));
    EXPECT_EQ(piecesAt(r, 5).size(), 1u);
    EXPECT_EQ(piecesAt(r, 10).size(), 5u);
    EXPECT_EQ(piecesAt(r, 15).size(), 1u);
}

TEST(Linetypes, PolylinesRestartAtEachVertexUnlessTheyAskToRunOn)
{
    DrawingBuilder b;
    const cad::NameId dashed = addLinetype(b, "DASHED", {3, -1});
    cad::Entity restart = polyline(b, {{{0, 0}}, {{5, 0}}, {{10, 0}}});
    restart.linetype = dashed;
    b.add(restart);
    cad::Entity runOn = polyline(b, {{{0, 1}}, {{5, 1}}, {{10, 1}}});
    std::get<cad::PolylineGeom>(runOn.geometry).continuousPattern = true;
    runOn.linetype = dashed;
    b.add(runOn);
    const RecordingBackend r = record(b.drawing());
    // Restarting: [0,3] [4,5] [5,8] [9,10].
    EXPECT_EQ(piecesAt(r, 0), (std::vector<std::pair<double, double>>{{0, 3}, {4, 5}, {5, 8}, {9, 10}}));
    // Running on: [0,3] [4,7] [8,10] (the middle dash passes the vertex at 5).
    std::vector<std::vector<QPointF>> second;
    for (const auto& line : polylines(r))
        if (line.front().y() == 1)
            second.push_back(line);
    ASSERT_EQ(second.size(), 3u);
    EXPECT_EQ(second[1], (std::vector<QPointF>{{4, 1}, {5, 1}, {7, 1}}));
}

TEST(Linetypes, DotsAreDotsAndCirclesAreDashedAlongTheirLength)
{
    DrawingBuilder b;
    const cad::NameId dotted = addLinetype(b, "DOT", {0, -1});
    cad::Entity line = b.line("0", {0, 0}, {3.5, 0});
    line.linetype = dotted;
    b.add(line);
    cad::Entity circle = b.entity("0", cad::CircleGeom{{0, 10}, 2}, cad::EntityType::Circle);
    circle.linetype = addLinetype(b, "DASHED", {1, -1});
    b.add(circle);
    const RecordingBackend r = record(b.drawing());
    std::vector<QPointF> dots;
    double dashLength = 0;
    int dashCount = 0;
    for (const auto& p : r.all()) {
        if (const auto* dot = std::get_if<RecordingBackend::Point>(&p.shape))
            dots.push_back(dot->position);
        if (const auto* dash = std::get_if<RecordingBackend::Polyline>(&p.shape)) {
            dashLength += length(dash->points);
            ++dashCount;
        }
        EXPECT_FALSE(std::holds_alternative<RecordingBackend::Circle>(p.shape));
    }
    EXPECT_EQ(dots, (std::vector<QPointF>{{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
    // Circumference 4π ≈ 12.57: six whole dashes and 0.57 of a seventh.
    EXPECT_EQ(dashCount, 7);
    EXPECT_NEAR(dashLength, 6 + (4 * M_PI - 12), 1e-2);
}

TEST(Lineweights, PenWidthsFollowEntityLayerBlockAndDefaultWhenShown)
{
    DrawingBuilder b;
    const int heavy = b.layer("heavy");
    b.drawing().layers[std::size_t(heavy)].lineweight = 70;
    b.drawing().defaultLineweight = 25;
    b.drawing().lineweightDisplay = true;
    cad::Entity own = b.line("0", {0, 0}, {1, 0});
    own.lineweight = 50;
    b.add(own);
    b.add(b.line("heavy", {0, 0}, {1, 0}));          // ByLayer: 0.70 mm
    cad::Entity byDefault = b.line("0", {0, 0}, {1, 0});
    byDefault.lineweight = cad::lineweight::kDefault; // $LWDEFAULT: 0.25 mm
    b.add(byDefault);
    cad::Entity inBlock = b.line("0", {0, 0}, {1, 0});
    inBlock.lineweight = cad::lineweight::kByBlock;
    b.block("B", {inBlock});
    cad::Entity insert = b.insert("0", "B", {0, 0});
    insert.lineweight = 100;
    b.add(insert);
    const double unitsPerMillimetre = 2;
    std::vector<double> widths;
    for (const auto& p : record(b.drawing(), unitsPerMillimetre).all())
        widths.push_back(p.style.width);
    // Layer by layer: layer 0's own, default and ByBlock lines, then the heavy layer's.
    EXPECT_EQ(widths, (std::vector<double>{1.0, 0.5, 2.0, 1.4}));
    b.drawing().lineweightDisplay = false; // the drawing hides weights: every line thin
    for (const auto& p : record(b.drawing(), unitsPerMillimetre).all())
        EXPECT_EQ(p.style.width, 0);
}

TEST(PolylineWidths, TaperedSegmentsAreFilledBands)
{
    DrawingBuilder b;
    cad::PolyVertex a{{0, 0}}, c{{10, 0}}, e{{10, 10}};
    a.startWidth = 2;
    a.endWidth = 0;
    c.startWidth = 1;
    c.endWidth = 1;
    b.add(polyline(b, {a, c, e}));
    const RecordingBackend r = record(b.drawing());
    std::vector<std::vector<QPointF>> fills;
    for (const auto& p : r.all()) {
        ASSERT_TRUE(std::holds_alternative<RecordingBackend::Fill>(p.shape));
        fills.push_back(std::get<RecordingBackend::Fill>(p.shape).loops.at(0));
    }
    // An arrow head from width 2 to a point, then a band of width 1; no
    // join where one of them has no width.
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0], (std::vector<QPointF>{{0, 1}, {10, 0}, {10, 0}, {0, -1}}));
    EXPECT_EQ(fills[1], (std::vector<QPointF>{{9.5, 0}, {9.5, 10}, {10.5, 10}, {10.5, 0}}));
}

TEST(PolylineWidths, ConstantWidthCornersMeetInAMitre)
{
    DrawingBuilder b;
    cad::Entity e = polyline(b, {{{0, 0}}, {{10, 0}}, {{10, 10}}});
    std::get<cad::PolylineGeom>(e.geometry).constantWidth = 2;
    b.add(e);
    const auto all = record(b.drawing()).all();
    ASSERT_EQ(all.size(), 3u); // two bands and the mitre
    const auto& mitre = std::get<RecordingBackend::Fill>(all[2].shape).loops.at(0);
    // A left turn: the mitre closes the outside corner at (11,-1).
    ASSERT_EQ(mitre.size(), 4u);
    EXPECT_NEAR(mitre[2].x(), 11, 1e-9);
    EXPECT_NEAR(mitre[2].y(), -1, 1e-9);
}

TEST(PolylineWidths, AWidePolylineWithALinetypeIsCutIntoWideDashes)
{
    DrawingBuilder b;
    const cad::NameId dashed = addLinetype(b, "DASHED", {3, -1});
    // A tapered band from width 4 to 0 along 10 units, then a constant one
    // round the corner; the pattern starts anew at the corner.
    cad::PolyVertex a{{0, 0}}, c{{10, 0}}, e{{10, 10}};
    a.startWidth = 4;
    a.endWidth = 0;
    c.startWidth = c.endWidth = 2;
    cad::Entity wide = polyline(b, {a, c, e});
    wide.linetype = dashed;
    b.add(wide);
    std::vector<std::vector<QPointF>> fills;
    for (const auto& p : record(b.drawing()).all())
        if (const auto* fill = std::get_if<RecordingBackend::Fill>(&p.shape))
            fills.push_back(fill->loops.at(0));
    // Each segment: dashes 0-3, 4-7, 8-10, no join at the corner (the first
    // segment ends in a point).
    ASSERT_EQ(fills.size(), 6u);
    EXPECT_NEAR(fills[0][0].x(), 0, 1e-9);
    EXPECT_NEAR(fills[0][0].y(), 2, 1e-9); // full width at the start
    EXPECT_NEAR(fills[0][1].x(), 3, 1e-9);
    EXPECT_NEAR(fills[0][1].y(), 2 * 0.7, 1e-9); // the taper carried into the dash
    EXPECT_NEAR(fills[1][0].x(), 4, 1e-9);
    EXPECT_NEAR(fills[2][1].x(), 10, 1e-9);
    EXPECT_NEAR(fills[3][0].y(), 0, 1e-9); // the second segment starts its pattern at the corner
    EXPECT_NEAR(fills[3][1].y(), 3, 1e-9);
    EXPECT_NEAR(fills[3][0].x(), 9, 1e-9); // width 2 across
    EXPECT_NEAR(fills[3][3].x(), 11, 1e-9);

    // Running on across the vertices, a dash over the corner is mitred there.
    DrawingBuilder run;
    const cad::NameId longDash = addLinetype(run, "LONG", {12, -1});
    cad::Entity square = polyline(run, {{{0, 0}}, {{10, 0}}, {{10, 10}}});
    auto& g = std::get<cad::PolylineGeom>(square.geometry);
    g.constantWidth = 2;
    g.continuousPattern = true;
    square.linetype = longDash;
    run.add(square);
    const auto all = record(run.drawing()).all();
    ASSERT_EQ(all.size(), 4u); // 0-10, 10-12 (one dash split at the corner), 13-20, the mitre
    const auto& mitre = std::get<RecordingBackend::Fill>(all[3].shape).loops.at(0);
    EXPECT_NEAR(mitre[2].x(), 11, 1e-9);
    EXPECT_NEAR(mitre[2].y(), -1, 1e-9);
}

namespace {

/// A square 0..10 with an island 3..7 holding another island 4..6, hatched
/// by horizontal lines one unit apart.
cad::Entity islandHatch(DrawingBuilder& b, int style, bool flagged)
{
    auto square = [](double lo, double hi, std::int32_t flags) {
        cad::HatchLoop loop;
        loop.vertices = {{{lo, lo}}, {{hi, lo}}, {{hi, hi}}, {{lo, hi}}};
        loop.flags = flags;
        return loop;
    };
    cad::HatchGeom h;
    h.loops = {square(0, 10, flagged ? 1 : 0), square(3, 7, flagged ? 16 : 0), square(4, 6, 0)};
    h.style = std::int8_t(style);
    cad::HatchPatternLine line;
    line.offset = {0.5, 1};
    h.patternLines = {line};
    return b.entity("0", h, cad::EntityType::Hatch);
}

} // namespace

TEST(Hatches, PatternLinesAreClippedByTheIslandStyle)
{
    using Pieces = std::vector<std::pair<double, double>>;
    for (bool flagged : {true, false}) {
        SCOPED_TRACE(flagged ? "loops flagged" : "nesting worked out");
        DrawingBuilder normal, outermost, ignore;
        normal.add(islandHatch(normal, 0, flagged));
        outermost.add(islandHatch(outermost, 1, flagged));
        ignore.add(islandHatch(ignore, 2, flagged));
        EXPECT_EQ(piecesAt(record(normal.drawing()), 5), (Pieces{{0, 3}, {4, 6}, {7, 10}}));
        EXPECT_EQ(piecesAt(record(outermost.drawing()), 5), (Pieces{{0, 3}, {7, 10}}));
        EXPECT_EQ(piecesAt(record(ignore.drawing()), 5), (Pieces{{0, 10}}));
    }
}

TEST(Hatches, DashedPatternLinesStartAtTheirOwnOrigin)
{
    DrawingBuilder b;
    cad::Entity e = islandHatch(b, 2, true);
    auto& h = std::get<cad::HatchGeom>(e.geometry);
    h.patternLines[0].dashes = {2, -1};
    b.add(e);
    const RecordingBackend r = record(b.drawing());
    // Line k=0 through (0,0); line k=1 through (0.5,1): its dashes are shifted by half a unit.
    using Pieces = std::vector<std::pair<double, double>>;
    EXPECT_EQ(piecesAt(r, 1), (Pieces{{0.5, 2.5}, {3.5, 5.5}, {6.5, 8.5}, {9.5, 10}}));
    EXPECT_EQ(piecesAt(r, 2), (Pieces{{1, 3}, {4, 6}, {7, 9}}));
}

TEST(Hatches, SolidAndGradientFillsAndTooDensePatterns)
{
    DrawingBuilder b;
    b.layer("R", 1);
    cad::Entity gradient = islandHatch(b, 0, true);
    gradient.layer = b.drawing().names.intern("R");
    auto& g = std::get<cad::HatchGeom>(gradient.geometry);
    g.gradient = true;
    g.fillColour = 0x0000FF;
    b.add(gradient);
    cad::Entity dense = islandHatch(b, 2, true);
    std::get<cad::HatchGeom>(dense.geometry).patternLines[0].offset = {0, 1e-6};
    b.add(dense);
    const auto all = record(b.drawing()).all();
    ASSERT_EQ(all.size(), 2u);
    const auto& denseFill = std::get<RecordingBackend::Fill>(all[0].shape); // layer 0 comes first
    EXPECT_EQ(denseFill.loops.size(), 1u);                                 // the outer loop alone
    const auto& gradientFill = std::get<RecordingBackend::Fill>(all[1].shape);
    EXPECT_EQ(gradientFill.loops.size(), 3u);
    EXPECT_EQ(all[1].style.colour, 0xFF0000FFu);
}

TEST(Curves, ArcsAreTrueArcsOnTheRightSideAndPolylineBulgesToo)
{
    DrawingBuilder b;
    b.add(b.entity("0", cad::ArcGeom{{0, 0}, 40, 0, 90}, cad::EntityType::Arc)); // the upper right quarter
    cad::PolylineGeom bulged;
    bulged.vertices = {{{-40, -40}, 1.0}, {{-20, -40}}}; // a half circle below its chord, centre (-30,-40)
    b.add(b.entity("0", bulged, cad::EntityType::LwPolyline));
    b.add(b.entity("0", cad::PointGeom{{-50, -50}}, cad::EntityType::Point));
    b.add(b.entity("0", cad::PointGeom{{50, 50}}, cad::EntityType::Point));
    const QByteArray wmf = cad::macros::drawingPicture(b.drawing());
    metafile::WmfPicture picture;
    ASSERT_TRUE(picture.loadData(wmf));
    // One arc record each (0x0817), no run of points in their place.
    int arcs = 0;
    for (qsizetype at = 22 + 18; at + 6 <= wmf.size();) { // after the placeable and the metafile header
        const quint32 words = quint32(quint8(wmf[at])) | quint32(quint8(wmf[at + 1])) << 8
                              | quint32(quint8(wmf[at + 2])) << 16 | quint32(quint8(wmf[at + 3])) << 24;
        const quint16 function = quint16(quint8(wmf[at + 4]) | quint8(wmf[at + 5]) << 8);
        arcs += function == 0x0817;
        if (words < 3)
            break;
        at += qsizetype(words) * 2;
    }
    EXPECT_EQ(arcs, 2);

    QImage image(500, 500, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        picture.draw(painter, QRectF(0, 0, 500, 500));
    }
    // The frame is 100 units plus 2% a side: 4.8 pixels a unit, (0,0) at the centre.
    auto inkNear = [&](QPointF world) {
        const QPoint p(int(250 + world.x() * 500 / 104.0), int(250 - world.y() * 500 / 104.0));
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (qGray(image.pixel(p.x() + dx, p.y() + dy)) < 128)
                    return true;
        return false;
    };
    EXPECT_TRUE(inkNear({40 * std::cos(M_PI / 4), 40 * std::sin(M_PI / 4)}));
    EXPECT_FALSE(inkNear({-40 * std::cos(M_PI / 4), -40 * std::sin(M_PI / 4)}));
    EXPECT_TRUE(inkNear({-30, -50}));  // the bulge turns counterclockwise: below the chord
    EXPECT_FALSE(inkNear({-30, -30}));
}
