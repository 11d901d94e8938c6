#include "cad/Curves.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace cad;

namespace {
double distance(QPointF a, QPointF b)
{
    return std::hypot(a.x() - b.x(), a.y() - b.y());
}
} // namespace

TEST(Curves, APositiveBulgeTurnsCounterclockwise)
{
    // Bulge 1 is a half circle; from (0,0) to (2,0) counterclockwise it
    // passes below the chord, through (1,-1).
    const auto points = flattenBulges({{QPointF(0, 0), 1.0}, {QPointF(2, 0), 0.0}}, false, 0.001);
    ASSERT_GT(points.size(), 10u);
    double lowest = 0;
    for (QPointF p : points) {
        EXPECT_NEAR(distance(p, {1, 0}), 1.0, 1e-9);
        lowest = std::min(lowest, p.y());
    }
    EXPECT_NEAR(lowest, -1.0, 1e-3);
    EXPECT_EQ(points.back(), QPointF(2, 0));
    // Negative: the same chord bends the other way.
    const auto mirrored = flattenBulges({{QPointF(0, 0), -1.0}, {QPointF(2, 0), 0.0}}, false, 0.001);
    EXPECT_NEAR(mirrored[mirrored.size() / 2].y(), 1.0, 1e-2);
}

TEST(Curves, ClosedPolylinesReturnToTheirStart)
{
    const auto points = flattenBulges({{QPointF(0, 0)}, {QPointF(1, 0)}, {QPointF(1, 1)}}, true, 0.01);
    ASSERT_EQ(points.size(), 4u);
    EXPECT_EQ(points.back(), QPointF(0, 0));
}

TEST(Curves, ArcsStayWithinTheTolerance)
{
    const double tolerance = 0.01;
    const auto points = flattenArc({0, 0}, 10, 350, 10, tolerance); // crosses zero degrees
    ASSERT_GE(points.size(), 3u);
    EXPECT_NEAR(points.front().x(), 10 * std::cos(-10 * M_PI / 180), 1e-9);
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPointF mid = (points[i - 1] + points[i]) / 2;
        EXPECT_LE(10 - std::hypot(mid.x(), mid.y()), tolerance + 1e-12);
        EXPECT_GT(points[i].x(), 9.8); // the short way round, never through the left side
    }
    const auto full = flattenArc({0, 0}, 1, 30, 30, 0.001);
    EXPECT_NEAR(distance(full.front(), full.back()), 0, 1e-9);
    EXPECT_GT(full.size(), 50u);
}

TEST(Curves, SplinesFollowTheirKnotsOrFallBack)
{
    cad::SplineGeom linear;
    linear.degree = 1;
    linear.controlPoints = {{0, 0}, {1, 1}, {2, 0}};
    linear.knots = {0, 0, 1, 2, 2};
    auto points = flattenSpline(linear, 0.001);
    EXPECT_EQ(points.front(), QPointF(0, 0));
    EXPECT_NEAR(distance(points.back(), {2, 0}), 0, 1e-9);
    double highest = 0;
    for (QPointF p : points) {
        highest = std::max(highest, p.y());
        EXPECT_NEAR(p.y(), p.x() <= 1 ? p.x() : 2 - p.x(), 1e-9); // on the control polygon
    }
    EXPECT_NEAR(highest, 1, 0.01);

    cad::SplineGeom cubic;
    cubic.degree = 3;
    cubic.controlPoints = {{0, 0}, {1, 2}, {3, 2}, {4, 0}};
    cubic.knots = {0, 0, 0, 0, 1, 1, 1, 1};
    points = flattenSpline(cubic, 0.001);
    EXPECT_NEAR(distance(points.front(), {0, 0}), 0, 1e-9);
    EXPECT_NEAR(distance(points.back(), {4, 0}), 0, 1e-9);
    EXPECT_NEAR(points[points.size() / 2].y(), 1.5, 1e-2); // Bézier midpoint: 3/4 of the control height

    cad::SplineGeom broken = cubic;
    broken.knots = {0, 1, 0.5}; // wrong count and decreasing
    broken.fitPoints = {{0, 0}, {4, 0}};
    EXPECT_EQ(flattenSpline(broken, 0.001), broken.fitPoints);
}

