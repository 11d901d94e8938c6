#include "excel/SheetName.h"
#include "excel/TextWidth.h"

#include <gtest/gtest.h>

using namespace excel;

TEST(SheetName, RefusesWhatTheSpreadsheetRefuses)
{
    EXPECT_TRUE(sheetNameProblem(QStringLiteral("画層一覧")).isEmpty());
    EXPECT_TRUE(sheetNameProblem(QString(31, u'あ')).isEmpty());
    EXPECT_FALSE(sheetNameProblem(QString(32, u'a')).isEmpty());
    EXPECT_FALSE(sheetNameProblem(QString()).isEmpty());
    for (QChar c : QStringLiteral("[]:*?/\\"))
        EXPECT_FALSE(sheetNameProblem(QStringLiteral("a") + c + QStringLiteral("b")).isEmpty()) << int(c.unicode());
    EXPECT_FALSE(sheetNameProblem(QStringLiteral("'a")).isEmpty());
    EXPECT_FALSE(sheetNameProblem(QStringLiteral("a'")).isEmpty());
    EXPECT_TRUE(sheetNameProblem(QStringLiteral("a'b")).isEmpty());
    EXPECT_FALSE(sheetNameProblem(QStringLiteral("a\tb")).isEmpty());
    EXPECT_TRUE(sheetNameTaken(QStringLiteral("wall"), {QStringLiteral("WALL")}));
}

TEST(SheetName, SafeNamesAreAcceptedUniqueAndCloseToTheWish)
{
    EXPECT_EQ(safeSheetName(QStringLiteral("壁"), {}), QStringLiteral("壁"));
    EXPECT_EQ(safeSheetName(QStringLiteral("a/b:c"), {}), QStringLiteral("a_b_c"));
    EXPECT_EQ(safeSheetName(QStringLiteral("'x'"), {}), QStringLiteral("x"));
    EXPECT_EQ(safeSheetName(QStringLiteral("''"), {}), QStringLiteral("Sheet"));
    EXPECT_EQ(safeSheetName(QStringLiteral("Wall"), {QStringLiteral("wall"), QStringLiteral("Wall (2)")}),
              QStringLiteral("Wall (3)"));

    const QString long40(40, u'長');
    const QString cut = safeSheetName(long40, {});
    EXPECT_EQ(cut, long40.left(31));
    const QString second = safeSheetName(long40, {cut});
    EXPECT_EQ(second, long40.left(27) + QStringLiteral(" (2)"));
    EXPECT_TRUE(sheetNameProblem(second).isEmpty());

    // A character outside the basic plane is never cut in half.
    const QString wide = QString(30, u'a') + QStringLiteral("𠮷");
    const QString safe = safeSheetName(wide, {});
    EXPECT_EQ(safe, QString(30, u'a'));
    // A cut that leaves an apostrophe at the end drops it.
    EXPECT_TRUE(sheetNameProblem(safeSheetName(QString(30, u'a') + QStringLiteral("'b"), {})).isEmpty());
}

TEST(TextWidth, WideCharactersCountDouble)
{
    EXPECT_EQ(textWidthUnits(QStringLiteral("No")), 2);
    EXPECT_EQ(textWidthUnits(QStringLiteral("画層名")), 6);
    EXPECT_EQ(textWidthUnits(QStringLiteral("ｵﾌﾞｼﾞｪｸﾄ")), 8);     // halfwidth katakana
    EXPECT_EQ(textWidthUnits(QStringLiteral("ＡＢ")), 4);         // fullwidth forms
    EXPECT_EQ(textWidthUnits(QStringLiteral("𠮷a")), 3);          // one character, not two code units
    EXPECT_EQ(textWidthUnits(QStringLiteral("abc\nあ")), 3);      // the widest line
    EXPECT_EQ(displayText(QVariant(12.0)), QStringLiteral("12"));
    EXPECT_EQ(displayText(QVariant(0.5)), QStringLiteral("0.5"));
    // Eight digits take the default width's worth; more is wider.
    EXPECT_LT(columnWidthForUnits(8), kDefaultColumnWidth + 0.01);
    EXPECT_GT(columnWidthForUnits(20), columnWidthForUnits(19));
    EXPECT_EQ(columnWidthPixels(kDefaultColumnWidth), 64);
}

TEST(SheetNameSet, FindsANameExactlyWhenACaseBlindComparisonWould)
{
    // Letters whose case differs within and beyond Latin, a pair of
    // surrogates (Deseret), lone surrogates, and look-alikes that differ.
    const QStringList names = {
        QStringLiteral("Wall"), QStringLiteral("WALL"), QStringLiteral("wall (2)"), QStringLiteral("ΣΊΣΥΦΟΣ"),
        QStringLiteral("σίσυφοσ"), QStringLiteral("σίσυφος"), QStringLiteral("ＡＢＣ"), QStringLiteral("ａｂｃ"),
        QStringLiteral("STRASSE"), QStringLiteral("straße"), QStringLiteral("壁"), QStringLiteral("かべ"),
        QStringLiteral("カベ"), QString::fromUtf16(u"\U00010400x"), QString::fromUtf16(u"\U00010428X"),
        QString(QChar(0xD801)), QString(QChar(0xDC28)), QString(QChar(0xD801)) + QChar(u'a'),
        QStringLiteral("İ"), QStringLiteral("i"), QStringLiteral("ı"), QStringLiteral("I"),
    };
    for (const QString& held : names) {
        SheetNameSet set;
        set.add(held);
        for (const QString& asked : names)
            EXPECT_EQ(set.contains(asked), QString::compare(held, asked, Qt::CaseInsensitive) == 0)
                << held.toStdString() << " / " << asked.toStdString();
    }
    // A name held twice stays until both are gone.
    SheetNameSet set;
    set.add(QStringLiteral("Wall"));
    set.add(QStringLiteral("wall"));
    set.remove(QStringLiteral("WALL"));
    EXPECT_TRUE(set.contains(QStringLiteral("Wall")));
    set.remove(QStringLiteral("Wall"));
    EXPECT_FALSE(set.contains(QStringLiteral("Wall")));
}
