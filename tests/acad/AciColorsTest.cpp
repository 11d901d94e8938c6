#include "acad/AciColors.h"

#include <QColor>
#include <gtest/gtest.h>

using acad::ColorIndexToRgb;

namespace {
::testing::AssertionResult isRgb(qint32 index, int r, int g, int b)
{
    const QRgb c = ColorIndexToRgb(index);
    if (qRed(c) == r && qGreen(c) == g && qBlue(c) == b && qAlpha(c) == 255)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "index " << index << " gave (" << qRed(c) << "," << qGreen(c)
                                         << "," << qBlue(c) << "," << qAlpha(c) << "), expected (" << r
                                         << "," << g << "," << b << ")";
}
} // namespace

TEST(AciColors, NamedColoursAndGreys)
{
    EXPECT_TRUE(isRgb(1, 255, 0, 0));
    EXPECT_TRUE(isRgb(2, 255, 255, 0));
    EXPECT_TRUE(isRgb(3, 0, 255, 0));
    EXPECT_TRUE(isRgb(4, 0, 255, 255));
    EXPECT_TRUE(isRgb(5, 0, 0, 255));
    EXPECT_TRUE(isRgb(6, 255, 0, 255));
    EXPECT_TRUE(isRgb(7, 255, 255, 255));  // the swatch is white; the renderer draws 7 black itself
    EXPECT_TRUE(isRgb(8, 128, 128, 128));
    EXPECT_TRUE(isRgb(9, 192, 192, 192));
    EXPECT_TRUE(isRgb(250, 51, 51, 51));
    EXPECT_TRUE(isRgb(251, 91, 91, 91));
    EXPECT_TRUE(isRgb(252, 132, 132, 132));
    EXPECT_TRUE(isRgb(253, 173, 173, 173));
    EXPECT_TRUE(isRgb(254, 214, 214, 214));
    EXPECT_TRUE(isRgb(255, 255, 255, 255));
}

TEST(AciColors, OutOfRangeIsBlack)
{
    for (qint32 index : {0, 256, -1, -7, 257, 1000, INT32_MIN, INT32_MAX})
        EXPECT_TRUE(isRgb(index, 0, 0, 0)) << index;
}

TEST(AciColors, WheelRows)
{
    struct Row { int index, r, g, b; };
    const Row rows[] = {
        {10, 255, 0, 0},    {11, 255, 127, 127}, {12, 204, 0, 0},     {13, 204, 102, 102},
        {19, 76, 38, 38},   {20, 255, 63, 0},    {21, 255, 159, 127}, {22, 204, 51, 0},
        {23, 204, 127, 102}, {30, 255, 127, 0},  {40, 255, 191, 0},   {41, 255, 223, 127},
        {50, 255, 255, 0},  {60, 191, 255, 0},   {90, 0, 255, 0},     {130, 0, 255, 255},
        {170, 0, 0, 255},   {210, 255, 0, 255},  {240, 255, 0, 63},   {245, 153, 76, 95},
        {249, 76, 38, 47},
    };
    for (const Row& row : rows)
        EXPECT_TRUE(isRgb(row.index, row.r, row.g, row.b));
}

TEST(AciColors, WheelShadesNeverBrighterThanTheirFullColour)
{
    // Within a hue group every channel of a darker shade stays at or below the
    // brighter one: catches a swapped brightness table or a wrong pale channel.
    for (int group = 1; group <= 24; ++group) {
        for (int shade = 2; shade <= 9; ++shade) {
            const QRgb darker = ColorIndexToRgb(group * 10 + shade);
            const QRgb brighter = ColorIndexToRgb(group * 10 + shade - 2);
            EXPECT_LE(qRed(darker), qRed(brighter)) << group * 10 + shade;
            EXPECT_LE(qGreen(darker), qGreen(brighter)) << group * 10 + shade;
            EXPECT_LE(qBlue(darker), qBlue(brighter)) << group * 10 + shade;
        }
    }
}
