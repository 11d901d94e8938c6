#pragma once

// AutoCAD's wildcard patterns, as a selection filter on layer names uses them:
//   *  any sequence of characters, also none     ?  any one character
//   #  one digit        @  one letter            .  one character that is neither
//   [abc] [a-z]  one of the characters            [~abc]  one character not among them
//   `x   the character x itself (escape)         ~  at the start: anything but the rest
//   ,    separates alternatives; a name matches when any alternative does.
// A leading ~ negates its own alternative. Matching ignores letter case.

#include <QString>

#include <vector>

namespace acad {

class LayerWildcard {
public:
    explicit LayerWildcard(const QString& pattern);

    bool matches(const QString& name) const;
    /// True when the pattern holds no wildcard at all, so that it can only
    /// match names equal to it (ignoring case); `literal()` is that name.
    bool isLiteral() const { return m_literal; }
    QString literal() const { return m_literalText; }
    /// Pattern characters looked at while reading the pattern: at most a
    /// small multiple of its length, whatever brackets it holds.
    std::size_t compileSteps() const { return m_compileSteps; }

    struct Token {
        enum Kind { Char, AnySeq, AnyOne, Digit, Letter, NonAlnum, Set } kind = Char;
        char32_t ch = 0;                                  // Char (case-folded)
        bool negated = false;                             // Set
        std::vector<std::pair<char32_t, char32_t>> ranges; // Set (case-folded)
    };
    struct Alternative {
        bool negated = false;
        std::vector<Token> tokens;
    };

private:
    std::vector<Alternative> m_alternatives;
    bool m_literal = false;
    QString m_literalText;
    std::size_t m_compileSteps = 0;
};

} // namespace acad
