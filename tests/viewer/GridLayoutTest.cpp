#include "viewer/GridLayout.h"
#include "tile/TileGeometry.h"

#include <gtest/gtest.h>

using namespace viewer;

TEST(GridLayout, TwoColumnsInAWindow5820Wide)
{
    const LowerArea area = lowerAreaFor(5820, 8000);
    EXPECT_EQ(area.picMainWidth, 5660);
    EXPECT_EQ(area.picMainHeight, 8000 - 3480);
    EXPECT_EQ(area.scrollBarLeft, 5400);
    EXPECT_EQ(area.scrollBarHeight, 8000 - 3480 - 60);

    const GridSize grid = gridSizeFor(7, area.picMainWidth, tile::kFrameWidth);
    EXPECT_EQ(grid.columns, 2);
    EXPECT_EQ(grid.rows, 4);
    EXPECT_EQ(gridCaption(grid), QStringLiteral("画層ビューワ (4×2)"));
}

TEST(GridLayout, ColumnsNeverExceedTheTiles)
{
    const GridSize one = gridSizeFor(1, 20000, tile::kFrameWidth);
    EXPECT_EQ(one.columns, 1);
    EXPECT_EQ(one.rows, 1);
    EXPECT_EQ(gridCaption(one), QStringLiteral("画層ビューワ (1×1)"));

    // Room for five columns, three tiles: one row of three.
    const GridSize three = gridSizeFor(3, 5 * 2665 + 10, tile::kFrameWidth);
    EXPECT_EQ(three.columns, 3);
    EXPECT_EQ(three.rows, 1);
}

TEST(GridLayout, RowsRoundUp)
{
    EXPECT_EQ(gridSizeFor(6, 8000, tile::kFrameWidth).rows, 2);
    EXPECT_EQ(gridSizeFor(7, 8000, tile::kFrameWidth).rows, 3);
    EXPECT_EQ(gridSizeFor(0, 8000, tile::kFrameWidth).rows, 0);
    EXPECT_EQ(gridSizeFor(5, 2000, tile::kFrameWidth).columns, 0);
    EXPECT_EQ(gridSizeFor(5, 2000, tile::kFrameWidth).rows, 0);
}

TEST(GridLayout, SmallWindowsSnapBackWidthFirst)
{
    auto narrow = correctWindowSize(2000, 6000);
    EXPECT_TRUE(narrow.corrected);
    EXPECT_EQ(narrow.width, 3090);
    EXPECT_EQ(narrow.height, 6000);

    auto low = correctWindowSize(5000, 1000);
    EXPECT_TRUE(low.corrected);
    EXPECT_EQ(low.width, 5000);
    EXPECT_EQ(low.height, 4380);

    // Both too small: the width first; the next resize corrects the height.
    auto both = correctWindowSize(100, 100);
    EXPECT_EQ(both.width, 3090);
    EXPECT_EQ(both.height, 100);
    EXPECT_EQ(correctWindowSize(both.width, both.height).height, 4380);

    EXPECT_FALSE(correctWindowSize(3090, 4380).corrected);
    // The smallest window still leaves one column for the tiles.
    EXPECT_EQ(gridSizeFor(9, lowerAreaFor(3090, 4380).picMainWidth, tile::kFrameWidth).columns, 1);
}
