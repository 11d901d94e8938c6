#include "tile/StatePictures.h"

#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

using tile::StatePicture;

TEST(StatePictures, SixDistinctIconsOnATransparentGround)
{
    const StatePicture all[] = {StatePicture::ViewOn,    StatePicture::ViewOff, StatePicture::FreezeOn,
                                StatePicture::FreezeOff, StatePicture::LockOn,  StatePicture::LockOff};
    QSet<QString> names;
    QList<QImage> images;
    for (StatePicture which : all) {
        const QImage image = tile::statePixmap(which).toImage();
        ASSERT_EQ(image.size(), QSize(13, 13)) << qPrintable(tile::statePictureName(which));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "corner should be transparent";
        int opaque = 0;
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                opaque += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
        EXPECT_GT(opaque, 20) << "the picture did not render: " << qPrintable(tile::statePictureName(which));
        for (const QImage& other : images)
            EXPECT_NE(image, other);
        images << image;
        names << tile::statePictureName(which);
    }
    EXPECT_EQ(names.size(), 6);
    EXPECT_TRUE(names.contains(QStringLiteral("CmdViewOn")));
    EXPECT_EQ(tile::statePixmap(StatePicture::LockOn, 2.0).size(), QSize(26, 26));
}
