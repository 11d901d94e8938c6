#include "viewer/OverviewZoom.h"

#include <gtest/gtest.h>

using namespace viewer;

namespace {
// The overview pane: frame 2565 x 2895 with a caption strip 435 high.
const QSizeF kFrame(2565, 2895);
constexpr double kStrip = 435;
} // namespace

TEST(FitPicture, SmallPictureKeepsItsSizeAndIsCentredAboveTheStrip)
{
    const FittedPicture fit = fitPicture(QSizeF(1000, 600), kFrame, kStrip, 0);
    EXPECT_FALSE(fit.stretched);
    EXPECT_EQ(fit.rect, QRectF((2565 - 1000) / 2.0, (2895 - 435 - 600) / 2.0, 1000, 600));
}

TEST(FitPicture, WidePictureFitsTheWidthFirst)
{
    const FittedPicture fit = fitPicture(QSizeF(5130, 2000), kFrame, kStrip, 0);
    EXPECT_TRUE(fit.stretched);
    EXPECT_DOUBLE_EQ(fit.rect.width(), 2565);
    EXPECT_DOUBLE_EQ(fit.rect.height(), 1000);
    EXPECT_DOUBLE_EQ(fit.rect.left(), 0);
    EXPECT_DOUBLE_EQ(fit.rect.top(), (2460 - 1000) / 2.0);
}

TEST(FitPicture, WideAndTallPictureThenFitsTheHeightAboveTheStrip)
{
    // After the width step the picture is 2565 x 3000, still taller than 2460.
    const FittedPicture fit = fitPicture(QSizeF(5130, 6000), kFrame, kStrip, 0);
    EXPECT_TRUE(fit.stretched);
    EXPECT_DOUBLE_EQ(fit.rect.height(), 2460);
    EXPECT_NEAR(fit.rect.width(), 2460.0 / 3000.0 * 2565.0, 1e-3);
    EXPECT_NEAR(fit.rect.left(), (2565 - fit.rect.width()) / 2, 1e-9);
    EXPECT_DOUBLE_EQ(fit.rect.top(), 0);
}

TEST(FitPicture, TopOffsetShiftsThePictureInATile)
{
    // A tile frame 2565 x 3015, the name box (255) above and the buttons (195) below.
    const FittedPicture fit = fitPicture(QSizeF(2565, 2565), QSizeF(2565, 3015), 195 + 255, 255);
    EXPECT_DOUBLE_EQ(fit.rect.height(), 2565);
    EXPECT_DOUBLE_EQ(fit.rect.top(), 255);
}

TEST(ZoomStep, FortyPercentScalesAboutThePaneCentre)
{
    const QRectF picture(30, 100, 2500, 2000);
    const float ratio = proportionOf(picture);
    EXPECT_FLOAT_EQ(ratio, 0.8f);

    const ZoomStep in = zoomStep(picture, 40, true, kFrame, kStrip, ratio);
    ASSERT_FALSE(in.refused);
    EXPECT_EQ(in.rect.width(), 3500);
    EXPECT_EQ(in.rect.height(), 2800);
    // The drawing point at the centre (1282.5, 1230) stays there.
    const double cx = 1282.5, cy = 1230;
    EXPECT_NEAR((cx - in.rect.left()) / in.rect.width(), (cx - picture.left()) / picture.width(), 1e-3);
    EXPECT_NEAR((cy - in.rect.top()) / in.rect.height(), (cy - picture.top()) / picture.height(), 1e-3);

    const ZoomStep out = zoomStep(picture, 40, false, kFrame, kStrip, ratio);
    ASSERT_FALSE(out.refused);
    EXPECT_EQ(out.rect.width(), 1500);
    EXPECT_EQ(out.rect.height(), 1200);
    EXPECT_NEAR((cx - out.rect.left()) / out.rect.width(), (cx - picture.left()) / picture.width(), 1e-3);
}

TEST(ZoomStep, RepeatedZoomOutEndsRefusedWithThePictureUnchanged)
{
    QRectF picture(15, 22.5, 2535, 2415);
    const float ratio = proportionOf(picture);
    int steps = 0;
    ZoomStep step;
    for (; steps < 100; ++steps) {
        step = zoomStep(picture, 40, false, kFrame, kStrip, ratio);
        if (step.refused)
            break;
        picture = step.rect;
    }
    ASSERT_TRUE(step.refused) << "zooming out never stopped";
    EXPECT_GT(steps, 3);
    EXPECT_EQ(step.rect, picture);
    EXPECT_GT(picture.width(), 0);
}

TEST(ZoomStep, ProportionDriftOfMoreThanATenthIsRefused)
{
    // The step keeps the picture at 0.80; what counts is how far that lies
    // from the proportion recorded at the refresh.
    const QRectF picture(500, 400, 1000, 800);
    EXPECT_FALSE(zoomStep(picture, 40, true, kFrame, kStrip, 0.72f).refused);  // 0.08 off
    EXPECT_FALSE(zoomStep(picture, 40, false, kFrame, kStrip, 0.88f).refused); // 0.08 off
    const ZoomStep in = zoomStep(picture, 40, true, kFrame, kStrip, 0.65f);    // 0.15 off
    EXPECT_TRUE(in.refused);
    EXPECT_EQ(in.rect, picture);
    EXPECT_TRUE(zoomStep(picture, 40, false, kFrame, kStrip, 0.95f).refused);

    // The proportion is recorded to two decimals.
    EXPECT_FLOAT_EQ(proportionOf(QRectF(0, 0, 3000, 1000)), 0.33f);
    EXPECT_FLOAT_EQ(proportionOf(QRectF(0, 0, 1000, 2345)), 2.35f);
}

TEST(ZoomStep, ShiftFromTheCentreRoundsHalvesToEven)
{
    // 2 twips above the centre line (1230) times 1.25 is 2.5, which rounds to 2.
    const QRectF picture(782.5, 1228, 1000, 800);
    const ZoomStep in = zoomStep(picture, 25, true, kFrame, kStrip, proportionOf(picture));
    ASSERT_FALSE(in.refused);
    EXPECT_EQ(in.rect.top(), 1228);
    EXPECT_EQ(in.rect.size(), QSizeF(1250, 1000));
}

TEST(ZoomStep, SquarePictureAndUnrecordedProportionAreRefused)
{
    const QRectF square(100, 100, 2000, 2000);
    EXPECT_TRUE(zoomStep(square, 40, true, kFrame, kStrip, proportionOf(square)).refused);
    EXPECT_TRUE(zoomStep(square, 40, false, kFrame, kStrip, proportionOf(square)).refused);

    // Before the first refresh no proportion is recorded (0).
    const QRectF design(0, 30, 2535, 2415);
    const ZoomStep before = zoomStep(design, 40, true, kFrame, kStrip, 0.0f);
    EXPECT_TRUE(before.refused);
    EXPECT_EQ(before.rect, design);
}

TEST(ZoomStep, LargestStepOutStillKeepsAPicture)
{
    QRectF picture(0, 0, 2535, 2415);
    const float ratio = proportionOf(picture);
    for (int i = 0; i < 50; ++i) {
        const ZoomStep step = zoomStep(picture, 95, false, kFrame, kStrip, ratio);
        if (step.refused)
            break;
        picture = step.rect;
    }
    EXPECT_GE(picture.width(), 1);
    EXPECT_GE(picture.height(), 1);
}

TEST(ZoomStep, InWholePixelsZoomOutIsRefusedWhereThePictureDistorts)
{
    // The fitted overview at 96 dpi (15 twips a pixel): 169 x 161 pixels.
    constexpr double kPixel = 15;
    QRectF picture(15, 22.5, 2535, 2415);
    const float ratio = proportionOf(picture);
    int steps = 0;
    ZoomStep step;
    for (; steps < 20; ++steps) {
        step = zoomStep(picture, 40, false, kFrame, kStrip, ratio, kPixel);
        if (step.refused)
            break;
        picture = step.rect;
        EXPECT_EQ(picture, wholePixels(picture, kPixel));
    }
    // 101 x 97, 61 x 58, 37 x 35, 22 x 21; the next would be 13 x 13.
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(picture.size(), QSizeF(22 * kPixel, 21 * kPixel));
}
