// Which loops of a hatch without loop flags count under its island style,
// worked out from the loops themselves with work near their number.

#include "cad/render/HatchPattern.h"

#include <gtest/gtest.h>

using cad::render::loopsForStyle;

namespace {

std::vector<QPointF> square(double x, double y, double side)
{
    return {{x, y}, {x + side, y}, {x + side, y + side}, {x, y + side}};
}

} // namespace

TEST(HatchIslands, NestingDecidesWhichLoopsCountUnderEachStyle)
{
    // An outer square, an island in it, a hole in the island, and a loop
    // beside them all; the first point of a loop decides where it lies.
    const std::vector<std::vector<QPointF>> loops{square(0, 0, 100), square(10, 10, 80), square(20, 20, 10),
                                                  square(200, 0, 5)};
    EXPECT_EQ(loopsForStyle(loops, {}, 0).size(), 4u);
    const auto outermost = loopsForStyle(loops, {0, 0, 0, 0}, 1);
    ASSERT_EQ(outermost.size(), 3u);
    EXPECT_EQ(outermost[0], loops[0]);
    EXPECT_EQ(outermost[1], loops[1]);
    EXPECT_EQ(outermost[2], loops[3]);
    const auto ignore = loopsForStyle(loops, {}, 2);
    ASSERT_EQ(ignore.size(), 2u);
    EXPECT_EQ(ignore[1], loops[3]);
    // Flags, when a loop carries them, decide instead.
    EXPECT_EQ(loopsForStyle(loops, {1, 0, 0, 0}, 2).size(), 1u);
}

TEST(HatchIslands, TenThousandIslandsAreSortedInWorkNearTheirNumber)
{
    // Testing every loop against every other took 4 s for 10k loops, 41 s for
    // 30k: 10^8 tests here, against a tree walk of some dozens a loop.
    std::vector<std::vector<QPointF>> loops{square(0, 0, 1000)};
    for (int row = 0; row < 100; ++row)
        for (int column = 0; column < 100; ++column)
            loops.push_back(square(5 + column * 9.9, 5 + row * 9.9, 4));
    std::size_t checks = 0;
    EXPECT_EQ(loopsForStyle(loops, {}, 1, &checks).size(), loops.size());
    EXPECT_LE(checks, 150 * loops.size());
    checks = 0;
    const auto outer = loopsForStyle(loops, {}, 2, &checks);
    ASSERT_EQ(outer.size(), 1u);
    EXPECT_EQ(outer[0], loops[0]);
    EXPECT_LE(checks, 150 * loops.size());
}

TEST(HatchIslands, DeepNestingStopsCountingOnceTheStyleHasItsAnswer)
{
    std::vector<std::vector<QPointF>> rings;
    for (int i = 0; i < 5000; ++i)
        rings.push_back(square(i, i, 20000 - 2.0 * i));
    std::size_t checks = 0;
    EXPECT_EQ(loopsForStyle(rings, {}, 1, &checks).size(), 2u);
    // Each ring needs two loops around it found, wherever the tree finds them;
    // the boxes on the way are bounded by the tree's depth and leaves.
    EXPECT_LE(checks, 200 * rings.size());
}
