#include "ExportFixture.h"

#include "export/ExportExcelBatch.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTextStream>

#include <gtest/gtest.h>

using testsupport::TestLayer;

namespace {

class ExportExcelBatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        drawing = testsupport::makeDrawing(dir.path(), {{QStringLiteral("壁"), 3},
                                                        {QStringLiteral("空"), 0},
                                                        {QStringLiteral("窓"), 1},
                                                        {QStringLiteral("扉"), 2}});
        out = dir.filePath(QStringLiteral("out.xlsx"));
    }

    int run(QStringList args)
    {
        output.clear();
        errors.clear();
        QTextStream o(&output), e(&errors);
        return exportexcel::runExportXlsxCommand(args, o, e);
    }

    QTemporaryDir dir;
    testsupport::TestDrawing drawing;
    QString out;
    QString output, errors;
};

TEST_F(ExportExcelBatchTest, ExportsEveryLayerWithObjectsWithTheDialogsDefaults)
{
    QFile dxf(drawing.path);
    ASSERT_TRUE(dxf.open(QIODevice::ReadOnly));
    const QByteArray before = dxf.readAll();
    dxf.close();
    ASSERT_EQ(run({drawing.path, out}), 0) << errors.toStdString();
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_TRUE(output.contains(QStringLiteral("完了しました")));
    const QJsonObject read = testsupport::readWorkbook(out);
    const QJsonArray cells = read["cells"].toObject()["plan.dxf"].toArray();
    ASSERT_EQ(cells.size(), 4); // headings and the three layers with objects
    EXPECT_EQ(cells[1].toArray()[1].toString(), QStringLiteral("壁"));
    EXPECT_EQ(cells[1].toArray()[2].toInt(), 3);
    EXPECT_EQ(cells[3].toArray()[1].toString(), QStringLiteral("扉"));
    const QJsonArray shapes = read["shapes"].toObject()["1"].toArray();
    ASSERT_EQ(shapes.size(), 6);
    // Pictures made by the host's macro, stored as they are.
    EXPECT_EQ(shapes[0].toObject()["contentType"].toString(), QStringLiteral("image/x-wmf"));
    EXPECT_GT(shapes[0].toObject()["mediaBytes"].toInt(), 100);
    EXPECT_NEAR(shapes[0].toObject()["width"].toDouble(), 9.0 * 72 / 2.54, 0.01);
    // The drawing on disk is left as it was.
    ASSERT_TRUE(dxf.open(QIODevice::ReadOnly));
    EXPECT_EQ(dxf.readAll(), before);
}

TEST_F(ExportExcelBatchTest, OptionsAndLayerListShapeTheWorkbook)
{
    ASSERT_EQ(run({drawing.path, out, "--separate", "--width", "5", "--no-frame", "--layer", "扉", "--layer", "空"}), 0)
        << errors.toStdString();
    const QJsonObject read = testsupport::readWorkbook(out);
    QStringList sheets;
    for (const QJsonValue& v : read["sheets"].toArray())
        sheets << v.toString();
    EXPECT_EQ(sheets, (QStringList{"plan.dxf", "扉"}));
    const QJsonObject picture = read["shapes"].toObject()[QStringLiteral("扉")].toArray()[0].toObject();
    EXPECT_NEAR(picture["width"].toDouble(), 5.0 * 72 / 2.54, 0.01);
    EXPECT_TRUE(picture["outline"].isNull());
}

TEST_F(ExportExcelBatchTest, FailuresExitNonZeroWithOneLine)
{
    auto oneLine = [&] { return errors.count(u'\n') == 1 && errors.startsWith(QStringLiteral("kasanemi-cad: ")); };

    EXPECT_EQ(run({dir.filePath("missing.dxf"), out}), 2);
    EXPECT_TRUE(oneLine()) << errors.toStdString();

    QFile junk(dir.filePath(QStringLiteral("junk.dxf")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a drawing\n");
    junk.close();
    EXPECT_EQ(run({junk.fileName(), out}), 2);
    EXPECT_TRUE(oneLine()) << errors.toStdString();

    EXPECT_EQ(run({drawing.path, dir.filePath("no/such/folder/out.xlsx")}), 1);
    EXPECT_TRUE(oneLine()) << errors.toStdString();

    EXPECT_EQ(run({drawing.path, out, "--layer", "ない"}), 2);
    EXPECT_TRUE(oneLine()) << errors.toStdString();
    EXPECT_EQ(run({drawing.path, out, "--columns", "0"}), 2);
    EXPECT_TRUE(oneLine()) << errors.toStdString();
    EXPECT_EQ(run({drawing.path}), 2);
    EXPECT_TRUE(oneLine()) << errors.toStdString();
    EXPECT_EQ(run({drawing.path, out, "--rows"}), 2);
    EXPECT_TRUE(oneLine()) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(out));
}

} // namespace
