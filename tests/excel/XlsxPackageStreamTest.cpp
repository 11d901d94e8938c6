// A workbook written sheet by sheet holds the same parts as the same workbook
// written at once (shared strings and cell formats numbered in the order the
// sheets were written), in the tab order of the model even when its first
// sheet is written last; written sheets let go of their contents.

#include "excel/ExcelError.h"
#include "excel/XlsxPackageStream.h"
#include "excel/XlsxPackageWriter.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zip.h>

#include <map>

using namespace excel;

namespace {

std::map<std::string, QByteArray> entries(zip_t* archive)
{
    std::map<std::string, QByteArray> out;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(archive, zip_uint64_t(i), 0, &st);
        QByteArray bytes(qsizetype(st.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        EXPECT_EQ(zip_fread(file, bytes.data(), st.size), zip_int64_t(st.size));
        zip_fclose(file);
        out[st.name] = bytes;
    }
    return out;
}

std::map<std::string, QByteArray> entriesOf(const QByteArray& package)
{
    zip_error_t error;
    zip_source_t* source = zip_source_buffer_create(package.constData(), zip_uint64_t(package.size()), 0, &error);
    zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    EXPECT_NE(archive, nullptr);
    auto out = entries(archive);
    zip_close(archive);
    return out;
}

std::map<std::string, QByteArray> entriesOf(const QString& path)
{
    int code = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    EXPECT_NE(archive, nullptr);
    auto out = entries(archive);
    zip_close(archive);
    return out;
}

WorkbookModel threeSheets()
{
    WorkbookModel book;
    for (int i = 0; i < 3; ++i)
        book.sheets.push_back(std::make_shared<SheetModel>());
    book.sheets[0]->name = QStringLiteral("図面一覧");
    book.sheets[0]->cells[{1, 1}].value = QStringLiteral("画層名");
    book.sheets[0]->cells[{2, 2}] = {7.0, true, {std::nullopt, 0x808080, true, false}, QStringLiteral("非表示・ロック")};
    book.sheets[0]->frozenRows = book.sheets[0]->frozenColumns = 1;
    book.sheets[0]->printTitleRows = QStringLiteral("$1:$1");
    book.sheets[1]->name = QStringLiteral("plan.dxf");
    book.sheets[1]->cells[{1, 1}] = {QStringLiteral("壁"), true, {}, {}};
    book.sheets[2]->name = QStringLiteral("plan 1");
    for (const QByteArray& data : {QByteArray("first picture"), QByteArray("second picture")}) {
        auto picture = std::make_shared<ShapeModel>();
        picture->pictureData = data;
        picture->width = picture->height = 100;
        book.sheets[2]->shapes.push_back(picture);
    }
    return book;
}

TEST(XlsxPackageStream, WritesTheSamePartsAsTheWholeWorkbookWriter)
{
    const WorkbookModel whole = threeSheets();
    WorkbookModel streamed = threeSheets();
    QTemporaryDir staging, out;
    XlsxPackageStream stream(staging.path());
    // The set export writes each drawing's sheets as they are done, the first sheet last...
    stream.writeOut(streamed, 1);
    EXPECT_TRUE(streamed.sheets[1]->cells.empty());
    EXPECT_TRUE(streamed.sheets[2]->shapes.empty());
    EXPECT_FALSE(streamed.sheets[0]->cells.empty());
    stream.finish(streamed, out.filePath(QStringLiteral("set.xlsx")));

    // ...so its sheets' part numbers differ; what each sheet's parts say does not.
    auto expected = entriesOf(xlsxPackage(whole));
    auto got = entriesOf(out.filePath(QStringLiteral("set.xlsx")));
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_EQ(got["xl/worksheets/sheet2.xml"], expected["xl/worksheets/sheet3.xml"]);
    EXPECT_TRUE(got["xl/worksheets/sheet3.xml"].contains(R"(<sheetView tabSelected="1" workbookViewId="0">)"));
    EXPECT_FALSE(got["xl/worksheets/sheet1.xml"].contains("tabSelected")) << "written before the end, not selected";
    EXPECT_EQ(got["xl/sharedStrings.xml"].size(), expected["xl/sharedStrings.xml"].size());
    EXPECT_EQ(got["xl/drawings/drawing1.xml"], expected["xl/drawings/drawing1.xml"]);
    EXPECT_EQ(got["xl/media/image2.wmf"], QByteArray("second picture"));
    EXPECT_EQ(got["xl/comments1.xml"], expected["xl/comments1.xml"]);
    EXPECT_EQ(got["xl/workbook.xml"], expected["xl/workbook.xml"]) << "same names, tab order, print titles";
    EXPECT_EQ(got["xl/styles.xml"].size(), expected["xl/styles.xml"].size());
    // The workbook's relationships lead each tab to its own part.
    EXPECT_TRUE(got["xl/_rels/workbook.xml.rels"].contains(R"(Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet3.xml")"));
    EXPECT_TRUE(got["[Content_Types].xml"].contains("/xl/comments1.xml"));
}

TEST(XlsxPackageStream, AFailedWriteLeavesTheOldFile)
{
    QTemporaryDir staging, out;
    const QString path = out.filePath(QStringLiteral("kept.xlsx"));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old workbook");
    old.close();
    WorkbookModel book = threeSheets();
    XlsxPackageStream stream(staging.filePath(QStringLiteral("missing-folder")));
    EXPECT_THROW(stream.finish(book, path), ExcelError);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old workbook"));
}

} // namespace
