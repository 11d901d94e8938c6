#include "LayerWildcard.h"

#include <QList>

namespace acad {

namespace {

using Token = LayerWildcard::Token;

std::u32string folded(const QString& s)
{
    const QList<uint> ucs4 = s.toCaseFolded().toUcs4();
    return std::u32string(ucs4.begin(), ucs4.end());
}

bool isDigit(char32_t c) { return QChar::isDigit(c); }
bool isLetter(char32_t c) { return QChar::isLetter(c); }

bool tokenMatches(const Token& t, char32_t c)
{
    switch (t.kind) {
    case Token::Char: return t.ch == c;
    case Token::AnyOne: return true;
    case Token::Digit: return isDigit(c);
    case Token::Letter: return isLetter(c);
    case Token::NonAlnum: return !isDigit(c) && !isLetter(c);
    case Token::Set: {
        bool in = false;
        for (const auto& [lo, hi] : t.ranges)
            if (c >= lo && c <= hi) { in = true; break; }
        return in != t.negated;
    }
    case Token::AnySeq: return false;
    }
    return false;
}

/// Glob matching with backtracking to the last '*': linear in practice.
bool matchTokens(const std::vector<Token>& tokens, const std::u32string& name)
{
    size_t t = 0, n = 0;
    size_t starT = std::u32string::npos, starN = 0;
    while (n < name.size()) {
        if (t < tokens.size() && tokens[t].kind == Token::AnySeq) {
            starT = t++;
            starN = n;
        } else if (t < tokens.size() && tokenMatches(tokens[t], name[n])) {
            ++t;
            ++n;
        } else if (starT != std::u32string::npos) {
            t = starT + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (t < tokens.size() && tokens[t].kind == Token::AnySeq)
        ++t;
    return t == tokens.size();
}

/// For every position k, where a search for ']' that starts at k stops (a
/// '`' skips the character after it), or npos; two slots past the end keep
/// lookups in range. One pass from the back, so a pattern of many unclosed
/// '[' costs no more than its length.
std::vector<size_t> closingBrackets(const std::u32string& p, std::size_t& steps)
{
    std::vector<size_t> closeFrom(p.size() + 3, std::u32string::npos);
    for (size_t k = p.size(); k-- > 0;) {
        if (p[k] == U'`')
            closeFrom[k] = closeFrom[k + 2];
        else
            closeFrom[k] = p[k] == U']' ? k : closeFrom[k + 1];
    }
    steps += p.size();
    return closeFrom;
}

} // namespace

LayerWildcard::LayerWildcard(const QString& pattern)
{
    const std::u32string p = folded(pattern);
    std::vector<size_t> closeFrom; // filled at the first '['
    m_compileSteps = p.size();
    bool anyWild = false;
    Alternative alt;
    bool atStart = true;
    auto finish = [&] {
        m_alternatives.push_back(std::move(alt));
        alt = Alternative();
        atStart = true;
    };
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        Token tok;
        switch (c) {
        case U',':
            anyWild = true;
            finish();
            continue;
        case U'~':
            if (atStart) {
                alt.negated = true;
                anyWild = true;
                atStart = false;
                continue;
            }
            tok.ch = c;
            break;
        case U'`':
            // An escape at the very end stands for itself.
            tok.ch = i + 1 < p.size() ? p[++i] : c;
            anyWild = true;
            break;
        case U'*':
            anyWild = true;
            // A run of stars matches what one star does.
            if (!alt.tokens.empty() && alt.tokens.back().kind == Token::AnySeq) {
                atStart = false;
                continue;
            }
            tok.kind = Token::AnySeq;
            break;
        case U'?': tok.kind = Token::AnyOne; anyWild = true; break;
        case U'#': tok.kind = Token::Digit; anyWild = true; break;
        case U'@': tok.kind = Token::Letter; anyWild = true; break;
        case U'.': tok.kind = Token::NonAlnum; anyWild = true; break;
        case U'[': {
            // The closing bracket; a ']' right after '[' or '[~' is a member.
            size_t j = i + 1;
            bool neg = false;
            if (j < p.size() && p[j] == U'~') { neg = true; ++j; }
            const size_t first = j;
            size_t close = std::u32string::npos;
            if (first < p.size()) {
                if (closeFrom.empty())
                    closeFrom = closingBrackets(p, m_compileSteps);
                close = closeFrom[p[first] == U'`' ? first + 2 : first + 1];
            }
            if (close == std::u32string::npos) {
                tok.ch = c; // an unclosed bracket is an ordinary character
                break;
            }
            tok.kind = Token::Set;
            tok.negated = neg;
            for (size_t k = first; k < close; ++k) {
                char32_t lo = p[k];
                if (lo == U'`' && k + 1 < close) lo = p[++k];
                char32_t hi = lo;
                if (k + 2 < close && p[k + 1] == U'-') {
                    hi = p[k + 2];
                    if (hi == U'`' && k + 3 < close) { hi = p[k + 3]; ++k; }
                    k += 2;
                }
                if (hi < lo) std::swap(lo, hi);
                tok.ranges.emplace_back(lo, hi);
            }
            i = close;
            anyWild = true;
            break;
        }
        default:
            tok.ch = c;
            break;
        }
        atStart = false;
        alt.tokens.push_back(std::move(tok));
    }
    finish();
    m_literal = !anyWild;
    if (m_literal)
        m_literalText = pattern;
}

bool LayerWildcard::matches(const QString& name) const
{
    const std::u32string n = folded(name);
    for (const Alternative& a : m_alternatives)
        if (matchTokens(a.tokens, n) != a.negated)
            return true;
    return false;
}

} // namespace acad
