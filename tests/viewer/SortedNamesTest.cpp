#include "viewer/SortedNames.h"

#include <QListWidget>
#include <gtest/gtest.h>

using viewer::sortsBefore;

namespace {

QStringList sorted(QStringList names)
{
    QListWidget list;
    acad::NameList withEmptyFirst = acad::emptyNameList();
    withEmptyFirst.append(names);
    return viewer::sortThroughList(list, withEmptyFirst).mid(1);
}

TEST(SortedNames, HyphensAndApostrophesArePassedOverAsAWordSortDoes)
{
    EXPECT_EQ(sorted({"DIM-C60", "DIM655", "DIM-A", "DIM7"}), (QStringList{"DIM655", "DIM7", "DIM-A", "DIM-C60"}));
    EXPECT_EQ(sorted({"ONEIL", "O'NEAL", "ONE-M"}), (QStringList{"O'NEAL", "ONEIL", "ONE-M"}));
}

TEST(SortedNames, CaseDecidesOnlyBetweenOtherwiseEqualNamesAndTheOrderIsTotal)
{
    EXPECT_EQ(sorted({"wall", "Door", "WALL", "door"}), (QStringList{"Door", "door", "WALL", "wall"}));
    // Names equal but for the passed-over characters still have one order.
    EXPECT_TRUE(sortsBefore("CO-OP", "COOP") != sortsBefore("COOP", "CO-OP"));
    EXPECT_TRUE(sortsBefore("A-B", "A'B") != sortsBefore("A'B", "A-B"));
    EXPECT_FALSE(sortsBefore("A-B", "A-B"));
}

TEST(SortedNames, JapaneseNamesGoByCodeUnits)
{
    // Hiragana, katakana, kanji, then half-width katakana, as their UTF-16 codes run.
    EXPECT_EQ(sorted({"ﾃｽﾄ", "壁", "テスト", "あ", "0"}), (QStringList{"0", "あ", "テスト", "壁", "ﾃｽﾄ"}));
}

} // namespace
