// TEXT codes and MTEXT format codes, and where the layout puts the
// characters: wrapping at the reference width, line spacing, attachment and
// stacked text.

#include "cad/text/MTextParser.h"
#include "cad/text/TextLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace cad::text;

QString joined(const Paragraph& p)
{
    QString out;
    for (const Fragment& f : p.fragments)
        out += f.kind == Fragment::Kind::Stack ? "[" + f.text + QChar(f.stackKind) + f.lower + "]" : f.text;
    return out;
}

TEST(TextCodes, PercentCodesBecomeTheirSignsAndTogglesMarkTheirCharacters)
{
    const DecodedText d = decodeTextCodes("%%c50 %%D %%p0.1 100%%% %%065%%uab%%uc%%o d");
    EXPECT_EQ(d.text, QString::fromUtf8("Ø50 ° ±0.1 100% Aabc d"));
    const qsizetype a = d.text.indexOf("ab");
    EXPECT_FALSE(d.underline[std::size_t(a - 1)]);
    EXPECT_TRUE(d.underline[std::size_t(a)]);
    EXPECT_TRUE(d.underline[std::size_t(a + 1)]);
    EXPECT_FALSE(d.underline[std::size_t(a + 2)]);
    EXPECT_TRUE(d.overline.back()); // %%o stays on to the end
    EXPECT_EQ(decodeTextCodes("50%").text, "50%");
    EXPECT_EQ(decodeTextCodes("%%").text, "%%");
}

TEST(MTextCodes, ParagraphsGroupsAndEscapes)
{
    const auto ps = parseMText("{\\fArial|b1|i0;Bold}\\Pnext\\~one \\\\ \\{x\\}^Jcaret\\U+753B\\U+5C64", 2);
    ASSERT_EQ(ps.size(), 3u);
    EXPECT_EQ(joined(ps[0]), "Bold");
    EXPECT_EQ(ps[0].fragments[0].style.font, "Arial");
    EXPECT_EQ(joined(ps[1]), QString::fromUtf8("next\u00A0one \\ {x}"));
    EXPECT_TRUE(ps[1].fragments[0].style.font.isEmpty()); // the group's font ended with it
    EXPECT_EQ(joined(ps[2]), QString::fromUtf8("caret画層"));
    EXPECT_EQ(joined(parseMText("unterminated \\H2", 1)[0]), "unterminated ");
    EXPECT_EQ(joined(parseMText("}}{{{a", 1)[0]), "a"); // unbalanced braces do no harm
}

TEST(MTextCodes, HeightWidthObliqueColourAndLines)
{
    const auto ps = parseMText("a\\H2x;b\\H5;c{\\W0.5;\\Q15;\\C1;\\Ld\\l}e\\c255;\\Of\\o\\Kg", 2);
    ASSERT_EQ(ps.size(), 1u);
    const auto& f = ps[0].fragments;
    ASSERT_EQ(f.size(), 7u);
    EXPECT_DOUBLE_EQ(f[0].style.height, 2);
    EXPECT_DOUBLE_EQ(f[1].style.height, 4); // relative to the current height
    EXPECT_DOUBLE_EQ(f[2].style.height, 5);
    EXPECT_EQ(f[3].text, "d");
    EXPECT_DOUBLE_EQ(f[3].style.widthFactor, 0.5);
    EXPECT_DOUBLE_EQ(f[3].style.oblique, 15);
    EXPECT_EQ(f[3].style.color, 1);
    EXPECT_TRUE(f[3].style.underline);
    EXPECT_EQ(f[4].text, "e");
    EXPECT_DOUBLE_EQ(f[4].style.widthFactor, 1);
    EXPECT_EQ(f[4].style.color, -1);
    EXPECT_EQ(f[5].text, "f");
    EXPECT_EQ(f[5].style.trueColor, 0xFF0000); // \c is a Windows colour value: red in the low byte
    EXPECT_TRUE(f[5].style.overline);
    EXPECT_TRUE(f[6].style.strike);
}

TEST(MTextCodes, StackedTextAndParagraphAlignment)
{
    const auto ps = parseMText("\\pxqc;B\\S1/2;x\\S+0.1^-0.05;\\S3#4;\\S\\/a/b;", 1);
    ASSERT_EQ(ps.size(), 1u);
    EXPECT_EQ(ps[0].align, Paragraph::Align::Centre);
    EXPECT_EQ(joined(ps[0]), "B[1/2]x[+0.1^-0.05][3#4][/a/b]");
}

TEST(MTextLayout, WrapsAtTheReferenceWidthWithTheLineSpacing)
{
    // "aaaa bbbb cccc" with each word about 3.1 wide at height 1: a width of
    // 7 holds two words a line.
    const double word = textWidth("aaaa", 1);
    ASSERT_GT(word, 2.5);
    ASSERT_LT(word, 3.5);
    const MTextLayout layout = layoutMText(parseMText("aaaa bbbb cccc", 1), 1, 2 * word + 1, 1, 1);
    ASSERT_EQ(layout.runs.size(), 2u);
    EXPECT_EQ(layout.runs[0].text, "aaaa bbbb");
    EXPECT_EQ(layout.runs[1].text, "cccc"); // the space it broke at is dropped
    EXPECT_DOUBLE_EQ(layout.runs[0].baseline.y(), -1);          // the first line hangs from the top
    EXPECT_DOUBLE_EQ(layout.runs[1].baseline.y(), -1 - 5.0 / 3); // 5/3 of the height apart
    EXPECT_DOUBLE_EQ(layout.runs[0].baseline.x(), 0);
    // Double spacing; no reference width: no wrapping.
    const MTextLayout spaced = layoutMText(parseMText("aaaa\\Pbbbb", 1), 1, 0, 2, 1);
    ASSERT_EQ(spaced.runs.size(), 2u);
    EXPECT_DOUBLE_EQ(spaced.runs[1].baseline.y(), -1 - 10.0 / 3);
    EXPECT_EQ(layoutMText(parseMText("aaaa bbbb cccc", 1), 1, 0, 1, 1).runs.size(), 1u);
    // A word longer than the width stays whole on its line; CJK breaks anywhere.
    EXPECT_EQ(layoutMText(parseMText("aaaaaaaaaaaa", 1), 1, 2, 1, 1).runs.size(), 1u);
    // Full-width characters wrap as one text height wide each (the CAD's big fonts).
    EXPECT_EQ(layoutMText(parseMText(QString::fromUtf8("画層画層"), 1), 1, 3, 1, 1).runs.size(), 2u);
    EXPECT_EQ(layoutMText(parseMText(QString::fromUtf8("房间"), 1), 1, 2.5, 1, 1).runs.size(), 1u);
}

TEST(MTextLayout, TheAttachmentPointPlacesTheBlock)
{
    const auto ps = parseMText("ab\\Pcd", 2);
    const double w = textWidth("ab", 2);
    const MTextLayout topLeft = layoutMText(ps, 2, 0, 1, 1);
    const MTextLayout middleCentre = layoutMText(ps, 2, 0, 1, 5);
    const MTextLayout bottomRight = layoutMText(ps, 2, 0, 1, 9);
    const double blockHeight = 2 + 2 * 5.0 / 3;
    EXPECT_DOUBLE_EQ(topLeft.height, blockHeight);
    EXPECT_DOUBLE_EQ(middleCentre.runs[0].baseline.y(), -2 + blockHeight / 2);
    EXPECT_NEAR(middleCentre.runs[0].baseline.x(), -w / 2, 1e-9);
    EXPECT_NEAR(bottomRight.runs[1].baseline.y(), 0, 1e-9); // the last baseline on the point
    EXPECT_NEAR(bottomRight.runs[1].baseline.x(), -textWidth("cd", 2), 1e-9);
    // Within a reference width, centred lines are centred in it.
    const MTextLayout centred = layoutMText(parseMText("\\pxqc;ab", 2), 2, 10, 1, 1);
    EXPECT_NEAR(centred.runs[0].baseline.x(), (10 - w) / 2, 1e-9);
}

TEST(MTextLayout, StackedFractionsAreSmallPartsAboveAndBelowABar)
{
    const MTextLayout layout = layoutMText(parseMText("1\\S1/2;", 1), 1, 0, 1, 7);
    ASSERT_EQ(layout.runs.size(), 3u);
    const PlacedRun& upper = layout.runs[1];
    const PlacedRun& lower = layout.runs[2];
    EXPECT_EQ(upper.text, "1");
    EXPECT_EQ(lower.text, "2");
    EXPECT_DOUBLE_EQ(upper.style.height, 0.7);
    ASSERT_EQ(layout.lines.size(), 1u); // the bar, at half the capital height
    const PlacedLine& bar = layout.lines[0];
    EXPECT_DOUBLE_EQ(bar.from.y(), 0.5);
    EXPECT_GT(upper.baseline.y(), bar.from.y());
    EXPECT_LT(lower.baseline.y() + lower.style.height, bar.from.y());
    EXPECT_GE(upper.baseline.x(), bar.from.x());
    EXPECT_GE(bar.from.x(), layout.runs[0].baseline.x() + textWidth("1", 1) - 1e-9); // after the "1"
    // A tolerance has no bar.
    EXPECT_TRUE(layoutMText(parseMText("\\S+0.1^-0.2;", 1), 1, 0, 1, 7).lines.empty());
}

} // namespace
