#include "metafile/WmfVisibleArea.h"

#include <QImage>
#include <QPainter>
#include <QPicture>
#include <gtest/gtest.h>

using metafile::WmfVisibleArea;

namespace {

WmfVisibleArea areaOf(QPaintDevice& device, const QRectF& target, const QTransform& base = {})
{
    QPainter painter(&device);
    return WmfVisibleArea::of(painter, QRectF(0, 0, 100, 100), target, base, std::nullopt);
}

} // namespace

TEST(WmfVisibleArea, OnlyAViewShowingPartOfThePictureCulls)
{
    QImage image(300, 300, QImage::Format_ARGB32_Premultiplied);
    EXPECT_FALSE(areaOf(image, QRectF(0, 0, 300, 300)).culling());
    EXPECT_TRUE(areaOf(image, QRectF(-200, -200, 1000, 1000)).culling());
    // The painter's own transform when play began places the target.
    EXPECT_FALSE(areaOf(image, QRectF(0, 0, 600, 600), QTransform::fromScale(0.5, 0.5)).culling());
    // A recording keeps everything, whatever it shows.
    QPicture recording;
    EXPECT_FALSE(areaOf(recording, QRectF(-200, -200, 1000, 1000)).culling());
    EXPECT_FALSE(WmfVisibleArea().culling());
}

TEST(WmfVisibleArea, AShapeOutsideIsOutOfSightUnlessItsPenReachesIn)
{
    // The view shows 0..300 of a picture drawn ten pixels a unit.
    QImage image(300, 300, QImage::Format_ARGB32_Premultiplied);
    const WmfVisibleArea area = areaOf(image, QRectF(0, 0, 1000, 1000));
    const QTransform tenAUnit = QTransform::fromScale(10, 10);
    EXPECT_FALSE(area.outOfSight(QRectF(10, 10, 5, 5), tenAUnit, 0));
    EXPECT_TRUE(area.outOfSight(QRectF(40, 10, 5, 5), tenAUnit, 0));
    EXPECT_FALSE(area.outOfSight(QRectF(30.2, 10, 5, 5), tenAUnit, 0)); // antialiasing reaches in
    // A line 2 units right of the view, 6 units wide, reaches a unit into it.
    EXPECT_TRUE(area.outOfSight(QRectF(32, 10, 0, 5), tenAUnit, 1));
    EXPECT_FALSE(area.outOfSight(QRectF(32, 10, 0, 5), tenAUnit, 6));
}
