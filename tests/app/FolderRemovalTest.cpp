#include "app/DriveKind.h"
#include "app/FolderRemoval.h"
#include "app/TextEncoding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace app;

namespace {
void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
}
} // namespace

TEST(FolderRemoval, RemovesTheTreeButNeverWhatLinksPointTo)
{
    QTemporaryDir root;
    const QString outside = root.path() + "/outside";
    const QString layer = root.path() + "/LAYER";
    QDir().mkpath(outside + "/sub");
    touch(outside + "/keep.txt");
    touch(outside + "/sub/keep2.txt");
    QDir().mkpath(layer + "/SYS");
    touch(layer + "/SYS/all.wmf");
    touch(layer + "/壁.wmf");
    QFile::link(outside, layer + "/dirLink");
    QFile::link(outside + "/keep.txt", layer + "/fileLink");
    QFile::link(root.path() + "/nowhere", layer + "/dangling");

    EXPECT_TRUE(removeTreeWithoutFollowingLinks(layer));
    EXPECT_FALSE(QFileInfo::exists(layer));
    EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));
    EXPECT_TRUE(QFile::exists(outside + "/sub/keep2.txt"));

    EXPECT_TRUE(removeTreeWithoutFollowingLinks(layer));  // nothing there: nothing to do
}

TEST(FolderRemoval, ALinkedWorkFolderLosesOnlyTheLink)
{
    QTemporaryDir root;
    const QString outside = root.path() + "/precious";
    QDir().mkpath(outside);
    touch(outside + "/data.txt");
    const QString layer = root.path() + "/LAYER";
    ASSERT_TRUE(QFile::link(outside, layer));
    EXPECT_TRUE(removeTreeWithoutFollowingLinks(layer));
    EXPECT_FALSE(QFileInfo(layer).isSymLink());
    EXPECT_TRUE(QFile::exists(outside + "/data.txt"));
}

TEST(TextEncoding, Utf8WhenValidElseCodePage932)
{
    EXPECT_EQ(decodeTextFile(QByteArray("\xEF\xBB\xBF\xE5\x9B\xB3")), QStringLiteral("図"));
    EXPECT_EQ(decodeTextFile(QByteArray("\xE5\x9B\xB3")), QStringLiteral("図"));
    EXPECT_EQ(decodeTextFile(QByteArray("\x90\x7d\x96\xca")), QStringLiteral("図面"));
    EXPECT_EQ(decodeTextFile(QByteArray("\x87\x40")), QStringLiteral("①"));  // a code page 932 extension
    EXPECT_EQ(detectEncoding("plain"), TextFileEncoding::Utf8);
    EXPECT_EQ(encodeText(QStringLiteral("図面①"), TextFileEncoding::Cp932), QByteArray("\x90\x7d\x96\xca\x87\x40"));
    EXPECT_FALSE(encodeText(QStringLiteral("😀"), TextFileEncoding::Cp932));
}

TEST(DriveKind, LocalFoldersAreFixedAndMissingPathsUseTheirNearestParent)
{
    QTemporaryDir root;
    EXPECT_TRUE(isOnFixedDrive(root.path()));
    EXPECT_TRUE(isOnFixedDrive(root.path() + "/not/yet/made.ini"));  // judged by the temporary folder
    EXPECT_TRUE(isOnFixedDrive(QStringLiteral("/")));
}
