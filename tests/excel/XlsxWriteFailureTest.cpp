// Writing a workbook where the write cannot succeed, or must not: a full
// disk and another user's link in /tmp. Either way the file that was there
// stays and the caller hears why.

#include "HostileFolders.h"
#include "excel/ExcelError.h"
#include "excel/XlsxApplication.h"
#include "excel/XlsxPackageWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace excel;

namespace {



WorkbookModelPtr aWorkbook(XlsxApplication& application)
{
    application.workbooks()->add();
    return application.workbookModels().front();
}

QString failureOf(const WorkbookModel& book, const QString& path)
{
    try {
        writeXlsxFile(book, path);
    } catch (const ExcelError& e) {
        return e.description();
    }
    return QString();
}

} // namespace

TEST(XlsxWriteFailure, AFullDiskKeepsTheGoodWorkbookAndSaysWhy)
{
    testsupport::FullFileSystem disk;
    if (!disk.mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    XlsxApplication application;
    const WorkbookModelPtr book = aWorkbook(application);
    const QString path = disk.filePath(QStringLiteral("book.xlsx"));
    ASSERT_TRUE(testsupport::writeFile(path, "the good workbook"));
    disk.fill();
    const QString why = failureOf(*book, path);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(testsupport::fileBytes(path), QByteArray("the good workbook"));
    // Only the padding and the old workbook: no temporary file left behind.
    EXPECT_EQ(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST(XlsxWriteFailure, AnotherUsersLinkInAStickyFolderIsNotFollowed)
{
    testsupport::StickyFolder tmp;
    QTemporaryDir home;
    const QString victim = home.filePath(QStringLiteral("report.xlsx"));
    ASSERT_TRUE(testsupport::writeFile(victim, "victim's workbook"));
    if (!tmp.plantLink(QStringLiteral("book.xlsx"), victim))
        GTEST_SKIP() << "giving a link to another user needs root";
    XlsxApplication application;
    const WorkbookModelPtr book = aWorkbook(application);
    EXPECT_TRUE(failureOf(*book, tmp.filePath(QStringLiteral("book.xlsx"))).contains(QStringLiteral("たどりません")));
    EXPECT_EQ(testsupport::fileBytes(victim), QByteArray("victim's workbook"));
    // A new name in the same folder is written as usual.
    EXPECT_EQ(failureOf(*book, tmp.filePath(QStringLiteral("mine.xlsx"))), QString());
    EXPECT_TRUE(testsupport::fileBytes(tmp.filePath(QStringLiteral("mine.xlsx"))).startsWith("PK"));
}
