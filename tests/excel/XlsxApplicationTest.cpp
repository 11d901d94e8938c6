// The workbook backend answers the surface members as the spreadsheet does,
// refusing what the spreadsheet refuses and leaving the model untouched then.

#include "excel/SheetGeometry.h"
#include "excel/TextWidth.h"
#include "excel/XlsxApplication.h"
#include "excel/XlsxPackageWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace excel;

namespace {

class XlsxApplicationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = application.workbooks()->add();
        sheets = book->worksheets();
        model = application.workbookModels().front();
    }

    template <typename F>
    static qint32 errorOf(F&& call)
    {
        try {
            call();
        } catch (const ExcelError& e) {
            return e.number();
        }
        return 0;
    }

    XlsxApplication application;
    WorkbookPtr book;
    WorksheetsPtr sheets;
    WorkbookModelPtr model;
};

TEST_F(XlsxApplicationTest, ANewWorkbookHasThreeSheetsAndKeepsAtLeastOne)
{
    ASSERT_EQ(sheets->count(), 3);
    EXPECT_EQ(sheets->item(3)->name(), QStringLiteral("Sheet3"));
    EXPECT_EQ(errorOf([&] { sheets->item(4); }), error::kBadIndex);
    EXPECT_EQ(errorOf([&] { sheets->item(0); }), error::kBadIndex);

    const WorksheetPtr first = sheets->item(1);
    const WorksheetPtr third = sheets->item(3);
    third->erase();
    sheets->item(2)->erase();
    EXPECT_EQ(sheets->count(), 1);
    EXPECT_EQ(errorOf([&] { first->erase(); }), error::kRefused);
    // A deleted sheet's proxy no longer answers.
    EXPECT_EQ(errorOf([&] { third->name(); }), error::kObjectGone);
    EXPECT_EQ(errorOf([&] { third->pictures(); }), error::kObjectGone);

    // New sheets go right after the given one and get the first free default name.
    const WorksheetPtr added = sheets->addAfter(first);
    EXPECT_EQ(added->name(), QStringLiteral("Sheet2"));
    sheets->addAfter(first)->setName(QStringLiteral("middle"));
    EXPECT_EQ(sheets->item(2)->name(), QStringLiteral("middle"));
    EXPECT_EQ(sheets->item(3)->name(), QStringLiteral("Sheet2"));
}

TEST_F(XlsxApplicationTest, RefusedSheetNamesLeaveTheOldName)
{
    const WorksheetPtr sheet = sheets->item(1);
    EXPECT_EQ(errorOf([&] { sheet->setName(QStringLiteral("a:b")); }), error::kRefused);
    EXPECT_EQ(errorOf([&] { sheet->setName(QStringLiteral("sheet2")); }), error::kRefused);
    EXPECT_EQ(errorOf([&] { sheet->setName(QString(32, u'x')); }), error::kRefused);
    EXPECT_EQ(sheet->name(), QStringLiteral("Sheet1"));
    sheet->setName(QStringLiteral("SHEET1"));    // its own name in other case is fine
    EXPECT_EQ(sheet->name(), QStringLiteral("SHEET1"));
}

TEST_F(XlsxApplicationTest, RangesCheckTheirShapeAndValuesBeforeWriting)
{
    const WorksheetPtr sheet = sheets->item(1);
    EXPECT_EQ(errorOf([&] { sheet->range(0, 1, 2, 2); }), error::kRefused);
    EXPECT_EQ(errorOf([&] { sheet->range(1, 1, kMaxRows + 1, 1); }), error::kRefused);
    EXPECT_EQ(errorOf([&] { sheet->range(1, 1, 1, kMaxColumns + 1); }), error::kRefused);

    const RangePtr range = sheet->range(1, 1, 2, 2);
    EXPECT_EQ(errorOf([&] { range->setValue({{1, 2}}); }), error::kRefused);
    EXPECT_EQ(errorOf([&] { range->setValue({{1, 2}, {3}}); }), error::kRefused);
    EXPECT_EQ(errorOf([&] { range->setValue({{1, 2}, {3, std::nan("")}}); }), error::kRefused);
    EXPECT_EQ(errorOf([&] { range->setValue({{1, 2}, {3, QString(kMaxCellText + 1, u'x')}}); }), error::kRefused);
    EXPECT_TRUE(model->sheets[0]->cells.empty());

    range->setValue({{QStringLiteral("名"), 1}, {QVariant(), 2.5}});
    EXPECT_EQ(model->sheets[0]->cells.at({1, 1}).value.toString(), QStringLiteral("名"));
    EXPECT_DOUBLE_EQ(model->sheets[0]->cells.at({2, 2}).value.toDouble(), 2.5);

    const BordersPtr borders = range->borders();
    EXPECT_EQ(errorOf([&] { borders->setWeight(4); }), error::kRefused);
    borders->setLineStyle(xl::kLineContinuous);
    borders->setWeight(xl::kWeightThin);
    borders->setColorIndex(xl::kColorIndexAutomatic);
    for (const auto& [cell, content] : model->sheets[0]->cells)
        EXPECT_TRUE(content.thinBorders);

    sheet->autoFitColumns();
    EXPECT_EQ(model->sheets[0]->columnWidths.count(1), 1u);
    EXPECT_DOUBLE_EQ(model->sheets[0]->columnWidths.at(1), columnWidthForUnits(2));
}

TEST_F(XlsxApplicationTest, PicturesComeAtTheirNaturalSizeAndRefuseWhatIsNotAMetafile)
{
    QTemporaryDir dir;
    // A placeable header for 2 × 1 inches at 1000 units an inch, and a minimal
    // metafile header and end record after it.
    QByteArray wmf = QByteArray::fromHex("d7cdc69a000000000000d007e803e803000000000000");
    wmf += QByteArray::fromHex("010009000003" "0c000000" "0000" "03000000" "0000");
    wmf += QByteArray::fromHex("030000000000");
    const QString path = QDir(dir.path()).filePath(QStringLiteral("p.wmf"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(wmf);
    file.close();

    const WorksheetPtr sheet = sheets->item(1);
    const PicturePtr picture = sheet->pictures()->insert(path);
    EXPECT_DOUBLE_EQ(picture->width(), 144.0);
    EXPECT_DOUBLE_EQ(picture->height(), 72.0);
    EXPECT_EQ(model->sheets[0]->shapes.front()->pictureData, wmf);
    EXPECT_EQ(errorOf([&] { picture->setWidth(-1); }), error::kRefused);
    EXPECT_EQ(errorOf([&] { picture->setTop(std::nan("")); }), error::kRefused);
    picture->border()->setColor(0x0000FF); // red in the automation's packing
    EXPECT_EQ(model->sheets[0]->shapes.front()->outlineRgb, 0xFF0000u);

    EXPECT_EQ(errorOf([&] { sheet->pictures()->insert(QDir(dir.path()).filePath("none.wmf")); }), error::kRefused);
    const QString text = QDir(dir.path()).filePath(QStringLiteral("t.wmf"));
    QFile other(text);
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("plain text");
    other.close();
    EXPECT_EQ(errorOf([&] { sheet->pictures()->insert(text); }), error::kRefused);
    EXPECT_EQ(model->sheets[0]->shapes.size(), 1u);
}

TEST(SheetGeometry, AnchorsFollowColumnWidthsAndRowHeights)
{
    // Default columns are 64 pixels (48 points) wide, rows 15 points high.
    const CellAnchor origin = anchorAt(10, 10, {});
    EXPECT_EQ(origin.column, 0);
    EXPECT_EQ(origin.columnOffset, 10 * kEmuPerPoint);
    EXPECT_EQ(origin.row, 0);
    EXPECT_EQ(origin.rowOffset, 10 * kEmuPerPoint);
    const CellAnchor far = anchorAt(100, 31, {});
    EXPECT_EQ(far.column, 2);
    EXPECT_EQ(far.columnOffset, 4 * kEmuPerPoint);
    EXPECT_EQ(far.row, 2);
    EXPECT_EQ(far.rowOffset, 1 * kEmuPerPoint);
    // A wide first column moves everything after it.
    const CellAnchor wide = anchorAt(100, 0, {{1, columnWidthForUnits(30)}});
    EXPECT_EQ(wide.column, 0);
    EXPECT_EQ(anchorAt(-5, std::nan(""), {}).columnOffset, 0);
}

TEST(XlsxPackage, AWorkbookWithoutSheetsIsRefusedAndColumnsAreLettered)
{
    EXPECT_THROW(xlsxPackage(WorkbookModel{}), ExcelError);
    EXPECT_EQ(columnLetters(1), QStringLiteral("A"));
    EXPECT_EQ(columnLetters(26), QStringLiteral("Z"));
    EXPECT_EQ(columnLetters(27), QStringLiteral("AA"));
    EXPECT_EQ(columnLetters(16384), QStringLiteral("XFD"));
}

TEST(XlsxPackage, AFailedWriteLeavesTheExistingFile)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("book.xlsx"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    // A workbook the package writer refuses never reaches the file.
    EXPECT_THROW(writeXlsxFile(WorkbookModel{}, path), ExcelError);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));
}

} // namespace
