// Replacing a whole file: the new bytes exactly, or the old file untouched
// and nothing left beside it, whatever the disk or another user does.

#include "HostileFolders.h"
#include "app/AtomicReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace app;

namespace {

const FileSync kBothSyncs[] = {FileSync::ToDisk, FileSync::RenameOnly};

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

TEST(AtomicReplace, LeavesExactlyTheNewBytesAndNothingBeside)
{
    for (const FileSync sync : kBothSyncs) {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("list.csv"));
        ASSERT_TRUE(testsupport::writeFile(file, QByteArray(10000, 'o')));
        const QByteArray shorter("a\r\n\0b", 5);
        EXPECT_EQ(replaceFile(file, shorter, {.sync = sync}), QString());
        EXPECT_EQ(testsupport::fileBytes(file), shorter);
        // A file that was not there is made.
        const QString fresh = dir.filePath(QStringLiteral("new.wmf"));
        EXPECT_EQ(replaceFile(fresh, QByteArray("new"), {.sync = sync}), QString());
        EXPECT_EQ(testsupport::fileBytes(fresh), QByteArray("new"));
        EXPECT_EQ(entriesOf(dir.path()), QStringList({QStringLiteral("list.csv"), QStringLiteral("new.wmf")}));
    }
}

TEST(AtomicReplace, AWriterThatFailsOrThrowsKeepsTheOldFile)
{
    for (const FileSync sync : kBothSyncs) {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("book.xlsx"));
        ASSERT_TRUE(testsupport::writeFile(file, "old"));
        const auto halfThenFail = [](QIODevice& out) {
            out.write("half");
            return false;
        };
        EXPECT_NE(replaceFile(file, halfThenFail, {.sync = sync}), QString());
        EXPECT_THROW(replaceFile(
                         file,
                         [](QIODevice& out) -> bool {
                             out.write("half");
                             throw std::runtime_error("the source went away");
                         },
                         {.sync = sync}),
                     std::runtime_error);
        EXPECT_EQ(testsupport::fileBytes(file), QByteArray("old"));
        EXPECT_EQ(entriesOf(dir.path()), QStringList(QStringLiteral("book.xlsx")));

        // A name nothing held: no half-written file is left under it.
        const QString fresh = dir.filePath(QStringLiteral("壁.wmf"));
        EXPECT_NE(replaceFile(fresh, halfThenFail, {.sync = sync}), QString());
        EXPECT_THROW(replaceFile(
                         fresh,
                         [](QIODevice& out) -> bool {
                             out.write(QByteArray(100000, 'h'));
                             throw std::runtime_error("the drawing went away");
                         },
                         {.sync = sync}),
                     std::runtime_error);
        EXPECT_EQ(entriesOf(dir.path()), QStringList(QStringLiteral("book.xlsx")));
    }
}

TEST(AtomicReplace, AFullDiskKeepsTheOldFileAndSaysWhy)
{
    for (const FileSync sync : kBothSyncs) {
        testsupport::FullFileSystem disk;
        if (!disk.mounted())
            GTEST_SKIP() << "mounting a tmpfs needs root";
        const QString file = disk.filePath(QStringLiteral("QEMTINF.ini"));
        ASSERT_TRUE(testsupport::writeFile(file, "[WMFPosi]\r\nleft=1\r\n"));
        disk.fill();
        // Larger than any buffer, and small enough that only the fill stops it.
        const QString why = replaceFile(file, QByteArray(64 * 1024, 'n'), {.sync = sync});
        EXPECT_NE(why, QString());
        EXPECT_EQ(testsupport::fileBytes(file), QByteArray("[WMFPosi]\r\nleft=1\r\n"));
        // The short write was no more than the buffer: nothing is left of it.
        EXPECT_EQ(entriesOf(disk.path()).filter(QStringLiteral("QEMTINF")), QStringList(QStringLiteral("QEMTINF.ini")));
        // Nor of a new file that did not fit.
        EXPECT_NE(replaceFile(disk.filePath(QStringLiteral("new.wmf")), QByteArray(64 * 1024, 'n'), {.sync = sync}),
                  QString());
        EXPECT_TRUE(entriesOf(disk.path()).filter(QStringLiteral("new")).isEmpty());
    }
}

TEST(AtomicReplace, AnotherUsersLinkInAStickyFolderIsRefusedAndItsTargetKept)
{
    for (const FileSync sync : kBothSyncs) {
        testsupport::StickyFolder tmp;
        QTemporaryDir victimHome;
        const QString victim = victimHome.filePath(QStringLiteral("victim"));
        ASSERT_TRUE(testsupport::writeFile(victim, "victim"));
        if (!tmp.plantLink(QStringLiteral("out.png"), victim))
            GTEST_SKIP() << "giving a link to another user needs root";
        const QString why = replaceFile(tmp.filePath(QStringLiteral("out.png")), QByteArray("ours"), {.sync = sync});
        EXPECT_TRUE(why.contains(QStringLiteral("たどりません"))) << why.toStdString();
        EXPECT_TRUE(why.contains(tmp.filePath(QStringLiteral("out.png")))) << why.toStdString();
        EXPECT_EQ(testsupport::fileBytes(victim), QByteArray("victim"));
        EXPECT_TRUE(QFileInfo(tmp.filePath(QStringLiteral("out.png"))).isSymLink());
    }
}

TEST(AtomicReplace, ANewFileIsOwnerOnlyAndALinkAtItsNameIsNeverFollowed)
{
    QTemporaryDir dir;
    const QString outside = dir.filePath(QStringLiteral("outside"));
    // A dangling link: writing through it would make `outside`.
    const QString picture = dir.filePath(QStringLiteral("layer.wmf"));
    ASSERT_TRUE(QFile::link(outside, picture));
    EXPECT_EQ(replaceFile(picture, QByteArray("ours"), {.sync = FileSync::RenameOnly}), QString());
    EXPECT_FALSE(QFileInfo::exists(outside));
    EXPECT_FALSE(QFileInfo(picture).isSymLink());
    EXPECT_EQ(testsupport::fileBytes(picture), QByteArray("ours"));

    const QString fresh = dir.filePath(QStringLiteral("fresh.wmf"));
    EXPECT_EQ(replaceFile(fresh, QByteArray("new"), {.sync = FileSync::RenameOnly}), QString());
    EXPECT_EQ(QFileInfo(fresh).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
}

TEST(AtomicReplace, OurOwnLinkHasItsTargetReplacedWhenWrittenToDisk)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("QEMTINF.ini"));
    const QString link = dir.filePath(QStringLiteral("settings.ini"));
    ASSERT_TRUE(testsupport::writeFile(target, "old"));
    ASSERT_TRUE(QFile::link(target, link));
    EXPECT_EQ(replaceFile(link, QByteArray("new")), QString());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(testsupport::fileBytes(target), QByteArray("new"));
}
