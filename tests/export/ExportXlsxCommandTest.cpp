#include "ExportFixture.h"

#include "cad/cli/ExportXlsxCommand.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTextStream>

#include <gtest/gtest.h>

using testsupport::TestLayer;

namespace {

class ExportXlsxCommandTest : public ::testing::Test {
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
        return cad::cli::runExportXlsxCommand(args, o, e);
    }

    QTemporaryDir dir;
    testsupport::TestDrawing drawing;
    QString out;
    QString output, errors;
};

TEST_F(ExportXlsxCommandTest, ExportsEveryLayerWithObjectsWithTheDialogsDefaults)
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

TEST_F(ExportXlsxCommandTest, OptionsAndLayerListShapeTheWorkbook)
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

TEST_F(ExportXlsxCommandTest, FailuresExitNonZeroWithOneLine)
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
    EXPECT_FALSE(output.contains(QStringLiteral("完了しました"))) << "completion is printed only after the write";

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

namespace {

/// The generated samples hold Japanese, accented and mixed layer names in
/// Shift_JIS (R2000) and UTF-8 (R2018); every name and count must reach the
/// workbook exactly as the independent DXF reader sees them.
class ExportExcelSampleTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ExportExcelSampleTest, LayerNamesAndCountsReachTheWorkbookExactly)
{
    const QString samples = qEnvironmentVariable("KASANEMI_SAMPLES");
    const QString dxf = QDir(samples).filePath(QStringLiteral("generated/%1.dxf").arg(QLatin1String(GetParam())));
    QFile oracleFile(QDir(samples).filePath(QStringLiteral("generated/%1.oracle.json").arg(QLatin1String(GetParam()))));
    ASSERT_TRUE(oracleFile.open(QIODevice::ReadOnly)) << oracleFile.fileName().toStdString();
    const QJsonObject oracle = QJsonDocument::fromJson(oracleFile.readAll()).object();

    QStringList names;
    QList<int> counts;
    for (const QJsonValue& layer : oracle["layers"].toArray()) {
        const QString name = layer.toObject()["name"].toString();
        const int count = oracle["counts"].toObject()[name].toInt();
        if (count > 0) {
            names << name;
            counts << count;
        }
    }
    ASSERT_FALSE(names.isEmpty());

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("sample.xlsx"));
    QString output, errors;
    QTextStream o(&output), e(&errors);
    ASSERT_EQ(cad::cli::runExportXlsxCommand({dxf, out, QStringLiteral("--separate")}, o, e), 0)
        << errors.toStdString();

    const QJsonObject read = testsupport::readWorkbook(out);
    const QJsonArray sheets = read["sheets"].toArray();
    const QString listSheet = sheets[0].toString();
    EXPECT_EQ(listSheet, QStringLiteral("%1.dxf").arg(QLatin1String(GetParam())));
    const QJsonArray cells = read["cells"].toObject()[listSheet].toArray();
    ASSERT_EQ(cells.size(), names.size() + 1);
    ASSERT_EQ(sheets.size(), names.size() + 1);
    for (int i = 0; i < names.size(); ++i) {
        EXPECT_EQ(cells[i + 1].toArray()[1].toString(), names[i]) << i;
        EXPECT_EQ(cells[i + 1].toArray()[2].toInt(), counts[i]) << names[i].toStdString();
        // Each image sheet carries its layer's name, or a safe name made from it.
        const QString sheet = sheets[i + 1].toString();
        if (names[i].size() <= 31 && !names[i].contains(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]"))))
            EXPECT_EQ(sheet, names[i]);
        const QJsonArray shapes = read["shapes"].toObject()[sheet].toArray();
        ASSERT_EQ(shapes.size(), 2) << sheet.toStdString();
        EXPECT_EQ(shapes[1].toObject()["text"].toString(),
                  names[i] + QStringLiteral("\nｵﾌﾞｼﾞｪｸﾄ数：") + QString::number(counts[i]));
    }
}

INSTANTIATE_TEST_SUITE_P(Generated, ExportExcelSampleTest,
                         ::testing::Values("gen_50L_5k_R2000", "gen_50L_5k_R2018"));

} // namespace
