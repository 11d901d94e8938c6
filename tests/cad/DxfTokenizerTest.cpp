// The tokenizer reads the common code line (blanks, digits, line end) on a
// fast path and everything else on the general one; both must give the same
// groups, byte offsets and line numbers, whatever mix of spellings a file has.

#include "cad/dxf/DxfTokenizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using cad::dxf::DxfTokenizer;
using cad::dxf::Group;

struct Read {
    int code;
    std::string value;
    qsizetype offset;
    qsizetype valueOffset;
    qsizetype line; ///< the last line read: the group's value line
};

std::vector<Read> readAll(const QByteArray& text)
{
    DxfTokenizer tokens(text);
    std::vector<Read> out;
    Group g;
    while (tokens.next(g))
        out.push_back({g.code, std::string(g.value), g.offset, g.valueOffset, tokens.lineNumber()});
    return out;
}

TEST(DxfTokenizer, EverySpellingOfACodeLineGivesItsGroupOffsetsAndLine)
{
    // Plain, blank-padded, CRLF, trailing blanks, a tab, a blank line
    // between groups, and a value ending the file without a line end.
    const QByteArray text = "  0\nSECTION\r\n  2\r\nENTITIES\n0 \nLINE\n\t8\nWALL\n\n 10\n1.5\n20\n-2\n  0\nEOF";
    const std::vector<Read> groups = readAll(text);
    const std::vector<Read> want = {
        {0, "SECTION", 0, 4, 2}, {2, "ENTITIES", 13, 18, 4}, {0, "LINE", 27, 30, 6}, {8, "WALL", 35, 38, 8},
        {10, "1.5", 44, 48, 11}, {20, "-2", 52, 55, 13},    {0, "EOF", 58, 62, 15},
    };
    ASSERT_EQ(groups.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(groups[i].code, want[i].code);
        EXPECT_EQ(groups[i].value, want[i].value);
        EXPECT_EQ(groups[i].offset, want[i].offset);
        EXPECT_EQ(groups[i].valueOffset, want[i].valueOffset);
        EXPECT_EQ(groups[i].line, want[i].line);
        // The offsets point into the text: saving rewrites values by them.
        EXPECT_EQ(text.mid(groups[i].valueOffset, qsizetype(groups[i].value.size())).toStdString(),
                  groups[i].value);
    }
}

TEST(DxfTokenizer, CodesOutOfRangeOrCutShortEndAsBefore)
{
    // Five digits and codes past 1071 are no group codes.
    EXPECT_THROW(readAll("10000\nX\n"), cad::dxf::DxfFormatError);
    EXPECT_THROW(readAll("1072\nX\n"), cad::dxf::DxfFormatError);
    EXPECT_EQ(readAll("1071\nX\n").size(), 1u);
    // A code line without its value at the end of the data: the group is lost.
    EXPECT_EQ(readAll("0\nLINE\n8\n").size(), 1u);
    EXPECT_EQ(readAll("0\nLINE\n8").size(), 1u);
    // The value line keeps inner and leading blanks; only the CR goes.
    const auto kept = readAll("1\n  two words \r\n");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].value, "  two words ");
}

TEST(DxfTokenizer, ANumberReadsAlikeBareOrPaddedAndNothingUnreadableBecomesInfinite)
{
    const auto number = [](const char* spelling) {
        Group g;
        g.value = spelling;
        return g.toDouble();
    };
    for (const char* spelling : {"1.5", " 1.5", "1.5 ", "\t1.5\t", "+1.5", " +1.5 ", "1.5x"})
        EXPECT_EQ(number(spelling), 1.5) << spelling;
    EXPECT_EQ(number(".5"), 0.5);
    EXPECT_EQ(number("-2."), -2.0);
    EXPECT_TRUE(std::signbit(number("-0.0")));
    EXPECT_EQ(number("5874.1977610129425"), 5874.1977610129425);
    // Out of range, not a number, or nothing: 0, never an infinity or a NaN.
    for (const char* spelling : {"1e400", "-1e400", "nan", "inf", "x1", "", "-", "."})
        EXPECT_EQ(number(spelling), 0.0) << spelling;
}

TEST(DxfTokenizer, UnusualCodeLinesReadAsTheirNumber)
{
    // Zero-padded, five digits, a stray CR, trailing blanks and tabs: every
    // one is the code it spells, the next group found after its value.
    for (const char* codeLine : {"0008\n", "00008\n", "8\r\r\n", " 8 \n", "\t8\t\n", "8\r\n"}) {
        SCOPED_TRACE(codeLine);
        const std::vector<Read> groups = readAll(QByteArray(codeLine) + "V\n0\nEOF\n");
        ASSERT_EQ(groups.size(), 2u);
        EXPECT_EQ(groups[0].code, 8);
        EXPECT_EQ(groups[0].value, "V");
        EXPECT_EQ(groups[1].value, "EOF");
        EXPECT_EQ(groups[1].line, 4);
    }
}

TEST(DxfTokenizer, ValuesOfEveryLengthEndAtTheirOwnLineFeedWhereverTheyLie)
{
    // Line ends are looked for 64 bytes at a time: values that end just
    // before, on and after those borders, span several of them, are empty, or
    // run to the end of the data without a line end must read as one line
    // each, at the offsets a byte-by-byte reading gives.
    for (const char* lineEnd : {"\n", "\r\n"}) {
        for (int last = 1; last < 70; ++last) {
            QByteArray text;
            std::vector<Read> want;
            qsizetype line = 0;
            for (int length = 0; length < 140; length += (length < 70 ? 1 : 13)) {
                const qsizetype offset = text.size();
                text += "  1";
                text += lineEnd;
                const qsizetype valueOffset = text.size();
                const std::string value(size_t(length), char('a' + length % 26));
                text += QByteArray::fromStdString(value);
                text += lineEnd;
                line += 2;
                want.push_back({1, value, offset, valueOffset, line});
            }
            // The last value without a line end, `last` bytes long (a code
            // line with no value at all is no group).
            const qsizetype offset = text.size();
            text += "  1\n";
            const std::string value(size_t(last), 'z');
            want.push_back({1, value, offset, text.size(), line + 2});
            text += QByteArray::fromStdString(value);
            SCOPED_TRACE(std::string(lineEnd == std::string("\n") ? "LF " : "CRLF ") + std::to_string(last));
            const std::vector<Read> groups = readAll(text);
            ASSERT_EQ(groups.size(), want.size());
            for (size_t i = 0; i < want.size(); ++i) {
                EXPECT_EQ(groups[i].value, want[i].value) << i;
                EXPECT_EQ(groups[i].offset, want[i].offset) << i;
                EXPECT_EQ(groups[i].valueOffset, want[i].valueOffset) << i;
                EXPECT_EQ(groups[i].line, want[i].line) << i;
            }
        }
    }
}

} // namespace
