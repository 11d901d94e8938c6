// The list sheet is named after the drawing; a drawing name the spreadsheet
// refuses as a sheet name gives the list sheet the fixed name "画層一覧",
// checked in the written workbook by the independent reader. And how typed
// grid numbers are rounded to whole rows and columns.

#include "ExportFixture.h"

#include "app/RecordingUserInterface.h"
#include "excel/XlsxConnector.h"
#include "export/ExportExcel.h"
#include "export/ExportExcelOptions.h"

#include <QDir>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(ListSheetName, ADrawingNameTheSpreadsheetRefusesGivesTheFixedName)
{
    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi(ui);
    // Refused: a bracket; longer than 31 characters. Accepted: the plain name.
    const QString refusedBracket = QStringLiteral("平面図[改訂2].dxf");
    const QString refusedLength = QStringLiteral("第一期工事_平面図_構造_設備_意匠_総合_最終版_改訂第三版.dxf");
    ASSERT_GT(refusedLength.size(), 31);
    for (const auto& [fileName, listSheet] :
         {std::pair{refusedBracket, QStringLiteral("画層一覧")}, std::pair{refusedLength, QStringLiteral("画層一覧")},
          std::pair{QStringLiteral("平面図.dxf"), QStringLiteral("平面図.dxf")}}) {
        SCOPED_TRACE(fileName.toStdString());
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString pictures = dir.filePath(QStringLiteral("LAYER"));
        ASSERT_TRUE(QDir().mkpath(pictures));
        const testsupport::TestDrawing drawing =
            testsupport::makeDrawing(dir.path(), {{QStringLiteral("壁"), 2}}, fileName);
        testsupport::writeLayerPicture(pictures, QStringLiteral("壁"), QSize(2880, 1440));

        exportexcel::ExportRequest request;
        request.document = drawing.document;
        request.pictureFolder = pictures;
        request.layerNames << QStringLiteral("壁");
        const QString output = dir.filePath(QStringLiteral("out.xlsx"));
        const auto connector = excel::XlsxConnector::toFile(output);
        ASSERT_EQ(exportexcel::exportLayers(*connector, request, {}), exportexcel::ExportResult::Finished);

        const QJsonObject read = testsupport::readWorkbook(output);
        const QJsonArray sheets = read[QStringLiteral("sheets")].toArray();
        ASSERT_EQ(sheets.size(), 2);
        EXPECT_EQ(sheets[0].toString(), listSheet);
        EXPECT_EQ(sheets[1].toString(), QStringLiteral("1"));
        const QJsonArray cells = read[QStringLiteral("cells")].toObject()[listSheet].toArray();
        ASSERT_EQ(cells.size(), 2);
        EXPECT_EQ(cells[1].toArray()[1].toString(), QStringLiteral("壁"));
        EXPECT_EQ(cells[1].toArray()[2].toInt(), 2);
    }
}

TEST(GridNumbers, TypedRowsAndColumnsRoundHalvesToEvenAndOnlyThem)
{
    exportexcel::ExportExcelOptionTexts texts{true, "2.5", "3.5", "9.25", "0.05", "1.5", true};
    const auto options = exportexcel::readOptions(texts, nullptr);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->rows, 2);
    EXPECT_EQ(options->columns, 4);
    // Lengths keep their fractions.
    EXPECT_DOUBLE_EQ(options->widthCm, 9.25);
    EXPECT_DOUBLE_EQ(options->spacingCm, 0.05);
    EXPECT_DOUBLE_EQ(options->frameWeight, 1.5);

    texts.rows = "1.5";
    texts.columns = "0.5";  // no column at all
    QString problem;
    EXPECT_FALSE(exportexcel::readOptions(texts, &problem));
    EXPECT_FALSE(problem.isEmpty());
    texts.columns = "1.5";
    const auto twoByTwo = exportexcel::readOptions(texts, nullptr);
    ASSERT_TRUE(twoByTwo);
    EXPECT_EQ(twoByTwo->rows, 2);
    EXPECT_EQ(twoByTwo->columns, 2);
}

} // namespace
