#include "acad/PictureProtocol.h"

#include <QSet>
#include <gtest/gtest.h>

using acad::pictureFileName;

TEST(PictureFileName, SafeNamesAreKeptAsTheyAre)
{
    EXPECT_EQ(pictureFileName("0"), "0.wmf");
    EXPECT_EQ(pictureFileName(QString::fromUtf8("壁-1 外部")), QString::fromUtf8("壁-1 外部.wmf"));
    EXPECT_EQ(pictureFileName("a.b"), "a.b.wmf");
}

TEST(PictureFileName, NamesThatWouldLeaveTheFolderAreEscaped)
{
    EXPECT_EQ(pictureFileName("../x"), "..%2Fx.wmf");
    EXPECT_EQ(pictureFileName("a/b"), "a%2Fb.wmf");
    EXPECT_EQ(pictureFileName("a\\b"), "a%5Cb.wmf");
    EXPECT_EQ(pictureFileName("."), "%2E.wmf");
    EXPECT_EQ(pictureFileName(".."), "%2E%2E.wmf");
    EXPECT_EQ(pictureFileName(QString("tab\there\n")), "tab%09here%0A.wmf");
    EXPECT_EQ(pictureFileName("end."), "end%2E.wmf");
    EXPECT_EQ(pictureFileName("a:b*?"), "a%3Ab%2A%3F.wmf");
}

TEST(PictureFileName, DistinctNamesGiveDistinctFiles)
{
    const QStringList names{"a/b", "a%2Fb", "a%b", ".", "%2E", "..", "x", "X"};
    QSet<QString> files;
    for (const QString& n : names)
        files.insert(pictureFileName(n));
    EXPECT_EQ(files.size(), names.size());
}

TEST(PictureFileName, LongNamesAreCutWithAHash)
{
    const QString a = QString(300, QChar(0x58C1)); // 300 × "壁", 900 bytes in UTF-8
    const QString b = a.left(299) + "x";
    const QString fa = pictureFileName(a);
    EXPECT_LE(fa.toUtf8().size(), 244);
    EXPECT_TRUE(fa.endsWith(".wmf"));
    EXPECT_NE(fa, pictureFileName(b));
}
