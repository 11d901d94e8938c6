// A drawing set's workbook holds thousands of sheets whose wanted names clash
// (the same layers in drawings with the same first characters). Each is
// named as the lowest free " (n)" of its wanted name, and naming one asks
// about its own clashes only, never every sheet of the workbook.

#include "excel/ExcelError.h"
#include "excel/SheetName.h"
#include "excel/XlsxApplication.h"
#include "export/ExportExcel.h"

#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>

using namespace excel;

namespace {

/// A sheet of the workbook backend that counts the names asked of it.
class CountingSheet : public Worksheet {
public:
    CountingSheet(WorksheetPtr sheet, int& asked) : m_sheet(std::move(sheet)), m_asked(asked) {}
    QString name() override { return m_sheet->name(); }
    void setName(const QString& name) override
    {
        ++m_asked;
        m_sheet->setName(name);
    }
    void erase() override { m_sheet->erase(); }
    void activate() override { m_sheet->activate(); }
    RangePtr range(qint32 r1, qint32 c1, qint32 r2, qint32 c2) override { return m_sheet->range(r1, c1, r2, c2); }
    void autoFitColumns() override { m_sheet->autoFitColumns(); }
    PicturesPtr pictures() override { return m_sheet->pictures(); }
    ShapesPtr shapes() override { return m_sheet->shapes(); }
    void freezePanes(qint32 rows, qint32 columns) override { m_sheet->freezePanes(rows, columns); }
    void setPrintTitles(const QString& rows, const QString& columns) override { m_sheet->setPrintTitles(rows, columns); }

private:
    WorksheetPtr m_sheet;
    int& m_asked;
};

TEST(SheetNaming, ThousandsOfClashingSheetsGetTheLowestFreeNamesAskingOnlyTheirClashes)
{
    XlsxApplication application;
    const WorksheetsPtr sheets = application.workbooks()->add()->worksheets();
    WorksheetPtr last = sheets->item(sheets->count());

    // 50 drawings whose names share their first 20 characters, each with a
    // list sheet and 34 layer sheets named "<prefix> <layer>"; layer names
    // differ only in case between drawings, and some are too long to keep.
    QStringList wantedNames;
    for (int d = 1; d <= 50; ++d) {
        wantedNames << QStringLiteral("drawing_of_the_site_number_%1.dxf").arg(d);
        for (int l = 1; l <= 34; ++l) {
            const QString layer = l % 2 ? QStringLiteral("壁-%1").arg(l) : QStringLiteral("layer with a long name %1").arg(l);
            wantedNames << QStringLiteral("drawing_of_the_site ") + (d % 2 ? layer : layer.toUpper());
        }
    }

    // What each name must be: the lowest free " (n)" among the names given
    // so far; every 100th also as the whole list of names reckons it.
    QStringList given;
    QSet<QString> folded;
    const auto lowestFree = [&folded](const QString& wanted) {
        return firstFreeSheetName(wanted, [&folded](const QString& c) { return !folded.contains(c.toCaseFolded()); });
    };
    SheetNameClashes clashes;
    int asked = 0;
    int mostAskedForOne = 0;
    for (const QString& wanted : wantedNames) {
        last = sheets->addAfter(last);
        const QString expected = lowestFree(wanted);
        if (given.size() % 100 == 0)
            EXPECT_EQ(safeSheetName(wanted, given), expected);
        const int before = asked;
        EXPECT_EQ(exportexcel::nameSheetSafely(std::make_shared<CountingSheet>(last, asked), wanted, &clashes), expected);
        mostAskedForOne = std::max(mostAskedForOne, asked - before);
        given << expected;
        folded.insert(expected.toCaseFolded());
    }
    ASSERT_EQ(sheets->count(), 3 + 1750);
    EXPECT_EQ(folded.size(), 1750);
    EXPECT_EQ(sheets->item(3 + 36)->name(), QStringLiteral("drawing_of_the_site_number_2.dx"));
    EXPECT_EQ(sheets->item(3 + 37)->name(), QStringLiteral("drawing_of_the_site 壁-1 (2)"));
    // The even layers of all drawings cut to one name.
    EXPECT_EQ(sheets->item(3 + 1750)->name(), QStringLiteral("drawing_of_the_site LAYER (850)"));
    // The wanted name, its safe form, and the next " (n)" after the last
    // one given: never a question for each sheet that holds the name already.
    EXPECT_LE(mostAskedForOne, 3);
    EXPECT_LE(asked, 3 * 1750);
}

TEST(SheetNaming, ANameFreedAgainIsGivenOnceTheClashesAreForgotten)
{
    XlsxApplication application;
    const WorksheetsPtr sheets = application.workbooks()->add()->worksheets();
    SheetNameClashes clashes;
    WorksheetPtr last = sheets->item(sheets->count());
    std::vector<WorksheetPtr> walls;
    for (int i = 0; i < 4; ++i) {
        last = sheets->addAfter(last);
        walls.push_back(last);
        exportexcel::nameSheetSafely(last, QStringLiteral("Wall"), &clashes);
    }
    EXPECT_EQ(walls.back()->name(), QStringLiteral("Wall (4)"));
    walls[1]->erase();
    clashes.forget();
    last = sheets->addAfter(last);
    EXPECT_EQ(exportexcel::nameSheetSafely(last, QStringLiteral("WALL"), &clashes), QStringLiteral("WALL (2)"));
}

} // namespace
