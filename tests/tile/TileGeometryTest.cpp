#include "tile/TileGeometry.h"

#include <gtest/gtest.h>

using tile::placeTile;

TEST(TileGeometry, PlacesTilesRowByRowInAnAreaOfThreeColumns)
{
    // 8000 twips hold three pitches of 2665.
    auto third = placeTile(3, 8000, 0);
    ASSERT_TRUE(third);
    EXPECT_EQ(third->row, 1);
    EXPECT_EQ(third->col, 3);
    EXPECT_EQ(third->left, 5360);
    EXPECT_EQ(third->top, 30);

    auto fourth = placeTile(4, 8000, 0);
    ASSERT_TRUE(fourth);
    EXPECT_EQ(fourth->row, 2);
    EXPECT_EQ(fourth->col, 1);
    EXPECT_EQ(fourth->left, 30);
    EXPECT_EQ(fourth->top, 3145);
}

TEST(TileGeometry, ScrolledRowsMoveUpByWholeRows)
{
    EXPECT_EQ(placeTile(4, 8000, 1)->top, 30);
    EXPECT_EQ(placeTile(1, 8000, 1)->top, -3085);
    // Scrolled to the third row of a two-column grid: row 3 on top, row 1 two pitches above.
    EXPECT_EQ(placeTile(5, 5660, 2)->top, 30);
    EXPECT_EQ(placeTile(1, 5660, 2)->top, -6200);
}

TEST(TileGeometry, OnePitchIsTheNarrowestAreaWithAColumn)
{
    EXPECT_EQ(tile::columnsFor(2665), 1);
    EXPECT_EQ(tile::columnsFor(2664), 0);
    auto only = placeTile(5, 2665, 0);
    ASSERT_TRUE(only);
    EXPECT_EQ(only->col, 1);
    EXPECT_EQ(only->row, 5);
    EXPECT_FALSE(placeTile(1, 2664, 0));
    EXPECT_FALSE(placeTile(1, 0, 0));
    EXPECT_FALSE(placeTile(1, -500, 0));
}

TEST(TileGeometry, LastTileOfAFullRowTakesTheLastColumn)
{
    // index mod columns is 0 for the last tile of a row: it is column c, not 0.
    auto sixth = placeTile(6, 8000, 0);
    EXPECT_EQ(sixth->col, 3);
    EXPECT_EQ(sixth->row, 2);
    EXPECT_EQ(sixth->left, 5360);
}
