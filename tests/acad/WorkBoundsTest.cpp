// Inputs built to make the work grow faster than they do: the work stays
// near their size (counted, not timed), and counts never wrap.

#include "acad/AcadSurface.h"
#include "acad/LayerWildcard.h"
#include "acad/PictureProtocol.h"

#include <gtest/gtest.h>

#include <limits>

using namespace acad;

TEST(WildcardWork, ManyUnclosedBracketsAreReadInLinearWork)
{
    // 100,000 '[' with no ']' took seconds: each searched the rest for one.
    const QString brackets(100000, u'[');
    const LayerWildcard pattern(brackets + u'*');
    EXPECT_LE(pattern.compileSteps(), 3u * std::size_t(brackets.size()));
    EXPECT_TRUE(pattern.matches(brackets + QStringLiteral("abc")));
    EXPECT_FALSE(pattern.matches(QStringLiteral("abc")));

    // Escapes shift where a search lands: "[`]" leaves the bracket open,
    // "[`]]" closes it after the escaped member.
    EXPECT_TRUE(LayerWildcard(QStringLiteral("[`]")).matches(QStringLiteral("[]")));
    EXPECT_TRUE(LayerWildcard(QStringLiteral("[`]]")).matches(QStringLiteral("]")));
    EXPECT_TRUE(LayerWildcard(QStringLiteral("[]a]")).matches(QStringLiteral("a")));
    EXPECT_TRUE(LayerWildcard(QStringLiteral("[[a]")).matches(QStringLiteral("[")));
    EXPECT_FALSE(LayerWildcard(QStringLiteral("[[a]")).matches(QStringLiteral("[a")));
    EXPECT_TRUE(LayerWildcard(QStringLiteral("[~`]x]")).matches(QStringLiteral("a")));
    EXPECT_FALSE(LayerWildcard(QStringLiteral("[~`]x]")).matches(QStringLiteral("x")));
}

TEST(WildcardWork, ARunOfStarsMatchesAsOneStar)
{
    const LayerWildcard stars(QString(11000, u'*') + QStringLiteral("壁") + QString(11000, u'*'));
    EXPECT_TRUE(stars.matches(QStringLiteral("外壁A")));
    EXPECT_FALSE(stars.matches(QStringLiteral("床")));
    EXPECT_TRUE(LayerWildcard(QStringLiteral("~**x")).matches(QStringLiteral("y")));
    EXPECT_FALSE(LayerWildcard(QStringLiteral("~**x")).matches(QStringLiteral("ax")));
}

TEST(CountWork, ATotalBeyondThe32BitRangeIsHeldAtItsEdge)
{
    EXPECT_EQ(saturatedCount(11000LL * 200000), std::numeric_limits<qint32>::max());
    EXPECT_EQ(saturatedCount(2147483647LL), 2147483647);
    EXPECT_EQ(saturatedCount(-5000000000LL), std::numeric_limits<qint32>::min());
    EXPECT_EQ(saturatedCount(42), 42);
}

TEST(PictureFileNameWork, AMegabyteNameIsCutInOnePassAtACharacterBoundary)
{
    // 1 MB of "壁" (3 bytes each) ending in an emoji pair: re-encoding the whole
    // name once per character dropped took a minute.
    const QString name = QString(350000, QChar(0x58C1)) + QString::fromUcs4(U"😀");
    const QString file = pictureFileName(name);
    ASSERT_TRUE(file.endsWith(QStringLiteral(".wmf")));
    const QString stem = file.chopped(4);
    const qsizetype tilde = stem.lastIndexOf(u'~');
    ASSERT_GT(tilde, 0);
    EXPECT_EQ(stem.size() - tilde - 1, 12);  // the hash
    // The longest run of whole characters that fits 240 bytes with "~" and the hash.
    EXPECT_EQ(stem.left(tilde), QString(75, QChar(0x58C1)));
    EXPECT_LE(file.toUtf8().size(), 244);

    // A surrogate pair at the cut is never split.
    const QString pairs = QStringLiteral("a") + QString::fromUcs4(U"😀").repeated(100);
    const QString cut = pictureFileName(pairs).chopped(4);
    const QString kept = cut.left(cut.lastIndexOf(u'~'));
    EXPECT_FALSE(kept.back().isHighSurrogate());
    EXPECT_EQ(kept.size(), 1 + 2 * 56);  // 1 + 56 × 4 bytes = 225 ≤ 227
}
