// The table writer where its write cannot succeed, or must not: the old file
// stays and the caller gets false.

#include "HostileFolders.h"
#include "export/ClsCsvFunction2.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {



bool writeTable(const QString& folder, const QString& name)
{
    csv::CsvTable table(1, 1, 1, 2000);
    for (qint32 r = 1; r <= 2000; ++r)
        table.setCell(1, r, QStringLiteral("画層%1").arg(r));
    clsCSV_Function2 writer;
    return writer.pu_fun_bOut_Array_CSV(folder, name, table, true, QStringLiteral("K3"), false, false, false, false,
                                        false, false, QString(), QString(), false, 1, QStringLiteral(","));
}

} // namespace

TEST(CsvWriteFailure, AFullDiskOrAPlantedLinkKeepsTheOldFile)
{
    testsupport::FullFileSystem disk;
    if (disk.mounted()) {
        ASSERT_TRUE(testsupport::writeFile(disk.filePath(QStringLiteral("layers.csv")), "old\r\n"));
        disk.fill();
        EXPECT_FALSE(writeTable(disk.path(), QStringLiteral("layers.csv")));
        EXPECT_EQ(testsupport::fileBytes(disk.filePath(QStringLiteral("layers.csv"))), QByteArray("old\r\n"));
    }

    testsupport::StickyFolder tmp;
    QTemporaryDir home;
    const QString victim = home.filePath(QStringLiteral("victim.csv"));
    ASSERT_TRUE(testsupport::writeFile(victim, "victim\r\n"));
    if (!disk.mounted() || !tmp.plantLink(QStringLiteral("layers.csv"), victim))
        GTEST_SKIP() << "a tmpfs and a link of another user need root";
    EXPECT_FALSE(writeTable(tmp.path(), QStringLiteral("layers.csv")));
    EXPECT_EQ(testsupport::fileBytes(victim), QByteArray("victim\r\n"));
    EXPECT_TRUE(writeTable(tmp.path(), QStringLiteral("mine.csv")));
}
