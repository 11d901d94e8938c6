// AutoCAD's wildcard rules as a layer filter applies them.

#include "acad/LayerWildcard.h"

#include <gtest/gtest.h>

namespace {

bool match(const char* pattern, const char* name)
{
    return acad::LayerWildcard(QString::fromUtf8(pattern)).matches(QString::fromUtf8(name));
}

TEST(LayerWildcard, PlainNamesMatchWholeNameIgnoringCase)
{
    EXPECT_TRUE(match("WALL", "wall"));
    EXPECT_TRUE(match("壁", "壁"));
    EXPECT_FALSE(match("WALL", "WALLS"));
    EXPECT_FALSE(match("WALL", "WAL"));
    EXPECT_FALSE(match("", "0"));
    EXPECT_TRUE(acad::LayerWildcard("Wall-1").isLiteral());
    EXPECT_FALSE(acad::LayerWildcard("Wall*").isLiteral());
}

TEST(LayerWildcard, StarAndQuestionMark)
{
    EXPECT_TRUE(match("*", ""));
    EXPECT_TRUE(match("*", "anything"));
    EXPECT_TRUE(match("A*", "ABC"));
    EXPECT_TRUE(match("*C", "ABC"));
    EXPECT_TRUE(match("A*C*E", "AxxCyyE"));
    EXPECT_FALSE(match("A*C*E", "AxxCyy"));
    EXPECT_TRUE(match("A?C", "ABC"));
    EXPECT_FALSE(match("A?C", "AC"));
    EXPECT_TRUE(match("??", "建具"));
    // Backtracking: the first star must give back characters.
    EXPECT_TRUE(match("*ab*ab", "xabyabab"));
}

TEST(LayerWildcard, CharacterClasses)
{
    EXPECT_TRUE(match("L#", "L1"));
    EXPECT_FALSE(match("L#", "LA"));
    EXPECT_TRUE(match("@1", "a1"));
    EXPECT_TRUE(match("@1", "壁1")); // Japanese characters are letters
    EXPECT_FALSE(match("@1", "11"));
    EXPECT_TRUE(match("A.B", "A-B"));
    EXPECT_TRUE(match("A.B", "A B"));
    EXPECT_FALSE(match("A.B", "AxB"));
    EXPECT_FALSE(match("A.B", "A1B"));
}

TEST(LayerWildcard, BracketSetsRangesAndNegatedSets)
{
    EXPECT_TRUE(match("[AB]1", "b1"));
    EXPECT_FALSE(match("[AB]1", "C1"));
    EXPECT_TRUE(match("L[0-9]", "L7"));
    EXPECT_FALSE(match("L[0-9]", "LX"));
    EXPECT_TRUE(match("[~AB]1", "C1"));
    EXPECT_FALSE(match("[~AB]1", "a1"));
    EXPECT_TRUE(match("[]]", "]")); // a ']' first in the set is a member
    EXPECT_TRUE(match("[", "["));   // an unclosed bracket is an ordinary character
    EXPECT_FALSE(match("[AB]", "AB")); // one character only
}

TEST(LayerWildcard, NegationAlternativesAndEscapes)
{
    EXPECT_TRUE(match("~WALL", "DOOR"));
    EXPECT_FALSE(match("~WALL", "wall"));
    EXPECT_TRUE(match("~W*", "DOOR"));
    EXPECT_FALSE(match("~W*", "WINDOW"));
    EXPECT_TRUE(match("A,B", "b"));
    EXPECT_TRUE(match("A*,B*", "Bx"));
    EXPECT_FALSE(match("A*,B*", "Cx"));
    // A tilde that is not at the start of an alternative is a character.
    EXPECT_TRUE(match("A~B", "A~B"));
    // Backquote makes the next character literal.
    EXPECT_TRUE(match("A`*", "A*"));
    EXPECT_FALSE(match("A`*", "AB"));
    EXPECT_TRUE(match("`#1", "#1"));
    EXPECT_FALSE(match("`#1", "11"));
    EXPECT_TRUE(match("A`,B", "A,B"));
    EXPECT_TRUE(match("`~A", "~A"));
    // A layer whose name holds wildcard characters is not found by its own
    // name unless they happen to match themselves.
    EXPECT_TRUE(match("*ADSK_SYSTEM_LIGHTS", "*ADSK_SYSTEM_LIGHTS"));
    EXPECT_FALSE(match("A#", "A#"));
}

} // namespace
