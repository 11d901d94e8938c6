// The reader's skip of leading header lines at its boundary: skipping every
// line a file has is a successful read of no data; only skipping more lines
// than there are fails, and silently.

#include "app/RecordingUserInterface.h"
#include "export/ClsCsvFunction2.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(CsvHeaderSkip, SkippingExactlyEveryLineReadsNoDataAndOneMoreFails)
{
    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi(ui);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    clsCSV_Function2 csv;

    // The same two records with and without an end after the last one.
    for (const QByteArray& bytes : {QByteArray("名前,色\r\n壁,1\r\n"), QByteArray("名前,色\r\n壁,1")}) {
        SCOPED_TRACE(bytes.toStdString());
        const QString path = dir.filePath(QStringLiteral("two.csv"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();

        csv::CsvTable table;
        ASSERT_TRUE(csv.pu_fun_bGet_CSV_Array(path, table, nullptr, true, false, false, 1, 0, true, ","));
        ASSERT_TRUE(table.hasElements());
        EXPECT_EQ(table.lowerBound(2), 1);
        EXPECT_EQ(table.upperBound(2), 1);
        EXPECT_EQ(table.cell(1, 1).toString(), QStringLiteral("壁"));

        table.setCell(1, 1, QStringLiteral("stale"));
        EXPECT_TRUE(csv.pu_fun_bGet_CSV_Array(path, table, nullptr, true, false, false, 2, 0, true, ","));
        EXPECT_FALSE(table.hasElements());  // cleared, and nothing read into it

        EXPECT_FALSE(csv.pu_fun_bGet_CSV_Array(path, table, nullptr, true, false, false, 3, 0, true, ","));
        EXPECT_FALSE(table.hasElements());
    }
    EXPECT_TRUE(ui.messages().isEmpty());
}

} // namespace
