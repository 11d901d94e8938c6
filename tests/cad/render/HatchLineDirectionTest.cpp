// A pattern hatch's lines run at the angle the drawing gives them, counted
// anticlockwise from the x axis: read from DXF text and drawn by the frontend
// into a recording backend.

#include "DrawingBuilder.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/RecordingBackend.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using cad::render::RecordingBackend;

namespace {

/// A square 0..10 hatched with one pattern line family a unit apart per
/// angle, each family's base point given.
cad::Drawing hatchedSquare(const std::vector<std::pair<double, QPointF>>& families)
{
    QStringList hatch{"0", "HATCH", "8", "0", "2", "USER", "70", "0", "91", "1",
                      "92", "3", "72", "0", "73", "1", "93", "4",
                      "10", "0", "20", "0", "10", "10", "20", "0", "10", "10", "20", "10", "10", "0", "20", "10",
                      "97", "0", "75", "0", "76", "0", "52", "0", "41", "1", "77", "0"};
    hatch << "78" << QString::number(families.size());
    for (const auto& [angle, base] : families) {
        const double radians = angle * std::numbers::pi / 180.0;
        // The offset one unit across the lines.
        hatch << "53" << QString::number(angle) << "43" << QString::number(base.x()) << "44"
              << QString::number(base.y()) << "45" << QString::number(-std::sin(radians), 'g', 17) << "46"
              << QString::number(std::cos(radians), 'g', 17) << "79" << "0";
    }
    hatch << "98" << "0";
    QStringList all{"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1015", "0", "ENDSEC",
                    "0", "SECTION", "2", "ENTITIES"};
    all << hatch << "0" << "ENDSEC" << "0" << "EOF";
    return cad::dxf::loadDxf(all.join('\n').toUtf8() + '\n').drawing;
}

std::vector<RecordingBackend::Polyline> strokes(const cad::Drawing& drawing)
{
    RecordingBackend recording;
    cad::render::DrawingFrontend frontend(drawing, 0.001);
    frontend.drawModelSpace(recording);
    return testing_render::shapes<RecordingBackend::Polyline>(recording.all());
}

/// The direction of a two-point stroke in degrees, 0 up to (not including) 180.
double direction(const RecordingBackend::Polyline& stroke)
{
    const QPointF d = stroke.points.back() - stroke.points.front();
    const double degrees = std::atan2(d.y(), d.x()) * 180.0 / std::numbers::pi;
    return std::fmod(degrees + 360.0, 180.0);
}

bool joins(const RecordingBackend::Polyline& stroke, QPointF a, QPointF b)
{
    auto near = [](QPointF p, QPointF q) { return std::hypot(p.x() - q.x(), p.y() - q.y()) < 1e-6; };
    return stroke.points.size() == 2
           && ((near(stroke.points[0], a) && near(stroke.points[1], b))
               || (near(stroke.points[0], b) && near(stroke.points[1], a)));
}

TEST(HatchLineDirection, PatternLinesRunAtTheirAngleAnticlockwise)
{
    const double tan30 = std::tan(std::numbers::pi / 6);
    // 30 degrees through the origin rises across the square to the right edge.
    const auto rising = strokes(hatchedSquare({{30.0, QPointF(0, 0)}}));
    ASSERT_FALSE(rising.empty());
    for (const auto& stroke : rising)
        EXPECT_NEAR(direction(stroke), 30.0, 1e-6);
    EXPECT_TRUE(std::any_of(rising.begin(), rising.end(),
                            [&](const auto& s) { return joins(s, QPointF(0, 0), QPointF(10, 10 * tan30)); }));

    // A cross of 120 and 45 degrees: each family keeps its own direction.
    const auto cross = strokes(hatchedSquare({{120.0, QPointF(10, 0)}, {45.0, QPointF(0, 0)}}));
    int steep = 0, diagonal = 0;
    for (const auto& stroke : cross) {
        const double degrees = direction(stroke);
        if (std::abs(degrees - 120.0) < 1e-6)
            ++steep;
        else if (std::abs(degrees - 45.0) < 1e-6)
            ++diagonal;
        else
            ADD_FAILURE() << "a stroke at " << degrees << " degrees";
    }
    EXPECT_GT(steep, 5);
    EXPECT_GT(diagonal, 5);
    // The 120-degree line through (10,0) leaves the square at its top edge.
    EXPECT_TRUE(std::any_of(cross.begin(), cross.end(),
                            [&](const auto& s) { return joins(s, QPointF(10, 0), QPointF(10 - 10 * tan30, 10)); }));
    EXPECT_TRUE(std::any_of(cross.begin(), cross.end(),
                            [&](const auto& s) { return joins(s, QPointF(0, 0), QPointF(10, 10)); }));
}

} // namespace
