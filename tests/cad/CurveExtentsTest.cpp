// Arcs, bulges and elliptical arcs are measured in closed form (their end
// points and the axis extremes they pass): the box must be the one that
// points taken densely along the curve give, for any start and end, either
// direction, and end points lying on an axis.

#include "cad/Extents.h"
#include "cad/dxf/DxfLoader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

std::optional<QRectF> extentsOf(cad::Geometry geometry)
{
    cad::Drawing drawing;
    cad::Entity e;
    e.geometry = std::move(geometry);
    drawing.entities.push_back(std::move(e));
    return cad::modelExtents(drawing);
}

/// Expects `box` to be the box of `samples` within a sampling error of `slack`,
/// and never smaller than any sample.
void expectBoxOf(const std::optional<QRectF>& box, const cad::Bounds& samples, double slack)
{
    ASSERT_TRUE(box.has_value());
    const QRectF want = samples.rect();
    const double rounding = 1e-9 * std::max({1.0, std::abs(want.left()), std::abs(want.right()),
                                             std::abs(want.top()), std::abs(want.bottom())});
    EXPECT_LE(box->left(), want.left() + rounding);
    EXPECT_GE(box->left(), want.left() - slack);
    EXPECT_GE(box->right(), want.right() - rounding);
    EXPECT_LE(box->right(), want.right() + slack);
    EXPECT_LE(box->top(), want.top() + rounding);
    EXPECT_GE(box->top(), want.top() - slack);
    EXPECT_GE(box->bottom(), want.bottom() - rounding);
    EXPECT_LE(box->bottom(), want.bottom() + slack);
}

constexpr int kSamples = 20000;

TEST(CurveExtents, ArcsFromTheirEndsAndTheQuadrantsTheyPass)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(-720, 720), radius(0.01, 50), place(-100, 100);
    std::vector<std::pair<double, double>> ends = {{0, 90}, {90, 0}, {270, 90}, {-90, 90}, {180, 180},
                                                   {0, 360}, {359.999, 0.001}, {45, 45.0001}};
    for (int i = 0; i < 200; ++i)
        ends.emplace_back(angle(random), angle(random));
    for (const auto& [a0, a1] : ends) {
        SCOPED_TRACE(testing::Message() << a0 << " to " << a1);
        const cad::ArcGeom arc{{place(random), place(random)}, radius(random), a0, a1};
        double sweep = std::fmod(a1 - a0, 360.0);
        if (sweep <= 0)
            sweep += 360;
        cad::Bounds samples;
        for (int k = 0; k <= kSamples; ++k) {
            const double a = (a0 + sweep * k / kSamples) * M_PI / 180;
            samples.add(arc.center + QPointF(std::cos(a), std::sin(a)) * arc.radius);
        }
        expectBoxOf(extentsOf(arc), samples, arc.radius * 1e-6);
    }
}

TEST(CurveExtents, BulgesOfEitherDirectionGiveTheirArcsBox)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<double> bulge(-3, 3), place(-10, 10);
    std::vector<double> bulges = {1, -1, 0.5, -0.5, 1e-6, -1e-6, 2.5, -2.5};
    for (int i = 0; i < 200; ++i)
        bulges.push_back(bulge(random));
    int n = 0;
    for (const double b : bulges) {
        if (b == 0)
            continue;
        ++n;
        // Ends on an axis of each other as well as anywhere.
        const QPointF p0(place(random), place(random));
        const QPointF p1 = n % 3 ? QPointF(place(random), place(random)) : p0 + QPointF(4, 0);
        SCOPED_TRACE(testing::Message() << "bulge " << b);
        cad::PolylineGeom line;
        line.vertices = {{p0, b}, {p1, 0}};
        // The arc through p0 and p1 with included angle 4·atan(b),
        // counter-clockwise for a positive bulge.
        const double theta = 4 * std::atan(b);
        const QPointF d = p1 - p0;
        const double chord = std::hypot(d.x(), d.y());
        const double r = chord / (2 * std::sin(theta / 2));
        const QPointF c = (p0 + p1) / 2 + QPointF(-d.y() / chord, d.x() / chord) * (r * std::cos(theta / 2));
        const double start = std::atan2(p0.y() - c.y(), p0.x() - c.x());
        cad::Bounds samples;
        for (int k = 0; k <= kSamples; ++k) {
            const double a = start + theta * k / kSamples;
            samples.add(c + QPointF(std::cos(a), std::sin(a)) * std::abs(r));
        }
        expectBoxOf(extentsOf(line), samples, std::abs(r) * 1e-6);
    }
}

TEST(CurveExtents, EllipticalArcsTurnWhereTheirAxesSay)
{
    std::mt19937 random(13);
    std::uniform_real_distribution<double> param(-10, 10), axis(-20, 20), ratio(0.05, 1);
    for (int i = 0; i < 300; ++i) {
        cad::EllipseGeom e;
        e.center = QPointF(axis(random), axis(random));
        e.majorAxis = i % 5 == 0 ? QPointF(axis(random), 0) : QPointF(axis(random), axis(random));
        e.ratio = ratio(random);
        e.startParam = i % 7 == 0 ? 0 : param(random);
        e.endParam = i % 7 == 0 ? 2 * M_PI : param(random);
        SCOPED_TRACE(testing::Message() << e.startParam << " to " << e.endParam);
        const QPointF minor(-e.majorAxis.y() * e.ratio, e.majorAxis.x() * e.ratio);
        double sweep = std::fmod(e.endParam - e.startParam, 2 * M_PI);
        if (sweep <= 0)
            sweep += 2 * M_PI;
        if (e.endParam - e.startParam >= 2 * M_PI)
            sweep = 2 * M_PI;
        cad::Bounds samples;
        for (int k = 0; k <= kSamples; ++k) {
            const double p = e.startParam + sweep * k / kSamples;
            samples.add(e.center + e.majorAxis * std::cos(p) + minor * std::sin(p));
        }
        expectBoxOf(extentsOf(e), samples, std::hypot(e.majorAxis.x(), e.majorAxis.y()) * 1e-6);
    }
}

TEST(CurveExtents, AnEllipseWithAFarStartParameterIsMeasuredAtOnce)
{
    // Its end parameter lies some 10^19 turns before its start: the arc is
    // still one turn at most, and measuring it must not count the turns
    // (it did, and never ended).
    const QByteArray text = "0\nSECTION\n2\nENTITIES\n"
                            "0\nELLIPSE\n10\n1\n20\n2\n11\n3\n21\n0\n40\n0.5\n41\n1e20\n42\n0\n"
                            "0\nENDSEC\n0\nEOF\n";
    const auto box = cad::modelExtents(cad::dxf::loadDxf(text).drawing);
    ASSERT_TRUE(box.has_value());
    EXPECT_GE(box->left(), 1 - 3 - 1e-9);
    EXPECT_LE(box->right(), 1 + 3 + 1e-9);
}

} // namespace
