// A picture stops expanding blocks once it has drawn its budget of
// primitives: the inserts it meets after that are drawn as their outline
// box, on their own layer, and the frontend tells how many.

#include "DrawingBuilder.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/RecordingBackend.h"

#include <gtest/gtest.h>

using cad::render::DrawingFrontend;
using cad::render::RecordingBackend;
using testing_render::DrawingBuilder;

namespace {

/// Blocks B0 (a unit line) to B<levels-1>, each inserting the one before
/// `copies` times one unit of its width apart; the model inserts the last
/// one `tops` times on layer "N".
DrawingBuilder nested(int levels, int copies, int tops)
{
    DrawingBuilder b;
    b.layer("N", 1);
    b.block("B0", {b.line("0", {0, 0}, {1, 1})});
    double width = 1;
    for (int k = 1; k < levels; ++k) {
        std::vector<cad::Entity> inserts;
        for (int i = 0; i < copies; ++i)
            inserts.push_back(b.insert("0", QStringLiteral("B%1").arg(k - 1), {i * width, 0}));
        b.block(QStringLiteral("B%1").arg(k), std::move(inserts));
        width *= copies;
    }
    for (int t = 0; t < tops; ++t)
        b.add(b.insert("N", QStringLiteral("B%1").arg(levels - 1), {0, t * 2.0}));
    return b;
}

TEST(PrimitiveBudget, AFitThatFitsDrawsEverythingAndOutlinesNothing)
{
    DrawingBuilder b = nested(3, 10, 1);
    RecordingBackend recording;
    DrawingFrontend frontend(b.drawing(), 0.001, 100);
    frontend.drawModelSpace(recording);
    EXPECT_EQ(recording.size(), 100u);
    EXPECT_EQ(frontend.outlinedInserts(), 0u);
}

TEST(PrimitiveBudget, PastTheBudgetInsertsBecomeTheirOutlineBox)
{
    // 10^6 lines a top insert, three of them; a budget of 250 lines.
    DrawingBuilder b = nested(7, 10, 3);
    const cad::Drawing& drawing = b.drawing();
    RecordingBackend recording;
    DrawingFrontend frontend(drawing, 0.001, 250);
    frontend.drawModelSpace(recording);
    // The budget, then one box for each insert met afterwards: the rest of
    // every block being expanded (at most ten a level) and the last two tops.
    EXPECT_GE(recording.size(), 250u);
    EXPECT_LE(recording.size(), 250u + 7 * 10 + 2);
    EXPECT_GT(frontend.outlinedInserts(), 2u);
    EXPECT_EQ(recording.size(), 250u + frontend.outlinedInserts());

    // The last top insert (at y = 4, on layer N, red) is one box around
    // 10^6 unit lines side by side.
    const auto& onN = recording.layer(1);
    ASSERT_FALSE(onN.empty());
    const auto& last = std::get<RecordingBackend::Polyline>(onN.back().shape);
    EXPECT_TRUE(last.closed);
    ASSERT_EQ(last.points.size(), 4u);
    EXPECT_EQ(last.points[0], QPointF(0, 4));
    EXPECT_EQ(last.points[2], QPointF(1e6, 5));
    EXPECT_EQ(onN.back().style.colour, 0xFFFF0000);

    // Drawing again starts with a full budget.
    RecordingBackend again;
    frontend.drawModelSpace(again);
    EXPECT_EQ(again.size(), recording.size());
}

TEST(PrimitiveBudget, AnArrayInsertCutShortIsOneRotatedBox)
{
    DrawingBuilder b;
    b.block("ONE", {b.line("0", {0, 0}, {1, 1}), b.line("0", {1, 0}, {0, 1})});
    cad::Entity array = b.insert("0", "ONE", {10, 0});
    auto& g = std::get<cad::InsertGeom>(array.geometry);
    g.columns = 100;
    g.rows = 100;
    g.columnSpacing = 2;
    g.rowSpacing = 3;
    g.rotation = 90;
    b.add(array);
    RecordingBackend recording;
    DrawingFrontend frontend(b.drawing(), 0.001, 11);
    frontend.drawModelSpace(recording);
    EXPECT_EQ(frontend.outlinedInserts(), 1u);
    ASSERT_EQ(recording.size(), 13u); // 6 cells of 2 lines (the sixth passes 11), then the box
    const auto box = std::get<RecordingBackend::Polyline>(recording.all().back().shape).points;
    ASSERT_EQ(box.size(), 4u);
    // Unrotated the array spans x 0..199, y 0..298 from the insert point;
    // turned by 90 degrees about (10, 0) it spans x -288..10, y 0..199.
    auto near = [](QPointF a, QPointF b) { return std::abs(a.x() - b.x()) < 1e-9 && std::abs(a.y() - b.y()) < 1e-9; };
    EXPECT_TRUE(near(box[0], QPointF(10, 0)));
    EXPECT_TRUE(near(box[2], QPointF(10 - 298, 199)));
}

} // namespace
