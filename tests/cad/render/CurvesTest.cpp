#include "cad/Curves.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    points = flattenSpline(broken, 0.001);
    EXPECT_EQ(points.front(), QPointF(0, 0));
    EXPECT_NEAR(distance(points.back(), {4, 0}), 0, 1e-9);
    for (QPointF p : points)
        EXPECT_NEAR(p.y(), 0, 1e-12); // the line through its two fit points
}

namespace {
/// The distance from `p` to the nearest point of the polyline.
double distanceToPolyline(QPointF p, const std::vector<QPointF>& line)
{
    double best = 1e300;
    for (std::size_t i = 1; i < line.size(); ++i) {
        const QPointF d = line[i] - line[i - 1];
        const double squared = d.x() * d.x() + d.y() * d.y();
        const double t = squared > 0 ? std::clamp(((p - line[i - 1]).x() * d.x() + (p - line[i - 1]).y() * d.y()) / squared, 0.0, 1.0) : 0;
        best = std::min(best, distance(p, line[i - 1] + d * t));
    }
    return best;
}
} // namespace

TEST(Curves, ASplineOfFitPointsAloneRunsSmoothlyThroughThem)
{
    // Seven points on a half circle of radius 10, stored as fit points only.
    cad::SplineGeom arc;
    for (int i = 0; i <= 6; ++i)
        arc.fitPoints.push_back({10 * std::cos(M_PI * i / 6), 10 * std::sin(M_PI * i / 6)});
    const auto points = flattenSpline(arc, 0.001);
    ASSERT_GT(points.size(), 50u);
    EXPECT_NEAR(distance(points.front(), arc.fitPoints.front()), 0, 1e-9);
    EXPECT_NEAR(distance(points.back(), arc.fitPoints.back()), 0, 1e-9);
    for (QPointF fit : arc.fitPoints)
        EXPECT_LT(distanceToPolyline(fit, points), 1e-3);
    // Round, not the polygon through the points: a chord's midpoint lies
    // 0.34 inside the circle, the curve stays within a few hundredths of it.
    for (QPointF p : points)
        EXPECT_NEAR(distance(p, {0, 0}), 10, 0.05);

    // The file's end tangents are followed: start straight up, end straight down.
    cad::SplineGeom hook;
    hook.fitPoints = {{0, 0}, {5, 5}, {10, 0}};
    hook.startTangent = {0, 1};
    hook.endTangent = {0, -1};
    const auto bent = flattenSpline(hook, 0.001);
    const QPointF first = bent[1] - bent[0], last = bent[bent.size() - 1] - bent[bent.size() - 2];
    EXPECT_NEAR(std::atan2(first.y(), first.x()), M_PI / 2, 0.05);
    EXPECT_NEAR(std::atan2(last.y(), last.x()), -M_PI / 2, 0.05);

    // A closed spline comes back to its first point without a corner there.
    cad::SplineGeom ring;
    ring.closed = true;
    for (int i = 0; i < 8; ++i)
        ring.fitPoints.push_back({10 * std::cos(M_PI * i / 4), 10 * std::sin(M_PI * i / 4)});
    const auto round = flattenSpline(ring, 0.001);
    EXPECT_NEAR(distance(round.back(), round.front()), 0, 1e-9);
    for (QPointF p : round)
        EXPECT_NEAR(distance(p, {0, 0}), 10, 0.1);
}

