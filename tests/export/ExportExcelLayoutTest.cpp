#include "export/ExportExcelLayout.h"
#include "export/ExportExcelOptions.h"

#include <gtest/gtest.h>

using namespace exportexcel;

namespace {

/// Where the k-th picture goes with `rows` × `columns` a sheet: (sheet, row, column),
/// following the export's sheet counter.
struct Slot {
    int sheet, row, column;
    bool operator==(const Slot&) const = default;
};
std::vector<Slot> placeAll(int pictures, int rows, int columns)
{
    std::vector<Slot> out;
    int j = 1;
    for (int k = 1; k <= pictures; ++k) {
        if (k > rows * columns * j)
            ++j;
        out.push_back({j, pr_fun_lnImageRow(k, rows, columns, j), pr_fun_lnImageCol(k, columns)});
    }
    return out;
}

TEST(ExportExcelLayout, PicturesFillEachSheetRowByRow)
{
    const std::vector<Slot> expected{{1, 1, 1}, {1, 1, 2}, {1, 2, 1}, {1, 2, 2}, {1, 3, 1}, {1, 3, 2}, {2, 1, 1}};
    EXPECT_EQ(placeAll(7, 3, 2), expected);
    // Further sheets start at the top again, whatever the number of sheets.
    const auto many = placeAll(40, 2, 3);
    for (std::size_t i = 0; i < many.size(); ++i) {
        const int k = int(i);
        EXPECT_EQ(many[i].sheet, k / 6 + 1) << k;
        EXPECT_EQ(many[i].row, (k % 6) / 3 + 1) << k;
        EXPECT_EQ(many[i].column, k % 3 + 1) << k;
    }
    // One column, one row: every picture at the top left of a sheet of its own.
    for (const Slot& s : placeAll(5, 1, 1))
        EXPECT_EQ(std::pair(s.row, s.column), std::pair(1, 1));
}

TEST(ExportExcelLayout, PositionsFollowTheRowAndColumnPitch)
{
    // Spacing 10, picture 100 × 50, frame 2: rows 10 + 50 + 2 + 2 + 30 = 94 apart.
    EXPECT_DOUBLE_EQ(pictureTop(10, 50, 2, 1), 10);
    EXPECT_DOUBLE_EQ(pictureTop(10, 50, 2, 3), 2 * 94 + 10);
    EXPECT_DOUBLE_EQ(pictureLeft(10, 100, 1), 10);
    EXPECT_DOUBLE_EQ(pictureLeft(10, 100, 4), 3 * 110 + 10);
    EXPECT_DOUBLE_EQ(captionTop(104, 50, 2), 158);
}

TEST(ExportExcelOptions, DefaultsReadAsTheDialogShowsThem)
{
    ExportExcelOptionTexts texts{true, "3", "2", "9.0", "1.0", "1.0", true};
    QString problem;
    const auto options = readOptions(texts, &problem);
    ASSERT_TRUE(options) << problem.toStdString();
    EXPECT_EQ(options->rows, 3);
    EXPECT_EQ(options->columns, 2);
    EXPECT_DOUBLE_EQ(options->widthCm, 9.0);
    EXPECT_DOUBLE_EQ(options->spacingCm, 1.0);
    EXPECT_DOUBLE_EQ(options->frameWeight, 1.0);
    // Typed numbers are rounded to whole rows and columns.
    texts.rows = " 2.4 ";
    texts.columns = "3.6";
    EXPECT_EQ(readOptions(texts, nullptr)->rows, 2);
    EXPECT_EQ(readOptions(texts, nullptr)->columns, 4);
}

TEST(ExportExcelOptions, TextsThatWouldBreakTheLayoutAreRefused)
{
    const ExportExcelOptionTexts good{true, "3", "2", "9.0", "1.0", "1.0", true};
    auto refused = [](ExportExcelOptionTexts texts) {
        QString problem;
        const bool ok = readOptions(texts, &problem).has_value();
        return !ok && !problem.isEmpty();
    };
    auto with = [&](auto change) { ExportExcelOptionTexts t = good; change(t); return t; };
    EXPECT_TRUE(refused(with([](auto& t) { t.columns = "0"; })));   // would divide by zero
    EXPECT_TRUE(refused(with([](auto& t) { t.rows = "0.4"; })));    // rounds to no rows
    EXPECT_TRUE(refused(with([](auto& t) { t.rows = "abc"; })));
    EXPECT_TRUE(refused(with([](auto& t) { t.width = "-1"; })));
    EXPECT_TRUE(refused(with([](auto& t) { t.width = "0"; })));
    EXPECT_TRUE(refused(with([](auto& t) { t.width = "nan"; })));
    EXPECT_TRUE(refused(with([](auto& t) { t.spacing = "-0.1"; })));
    EXPECT_TRUE(refused(with([](auto& t) { t.frameWeight = "x"; })));
    // One picture a sheet ignores the disabled grid fields.
    auto separate = with([](auto& t) { t.imagesPerSheet = false; t.rows = ""; t.columns = "0"; t.spacing = "?"; });
    const auto options = readOptions(separate, nullptr);
    ASSERT_TRUE(options);
    EXPECT_EQ(options->rows, 1);
    EXPECT_EQ(options->columns, 1);
}

} // namespace
