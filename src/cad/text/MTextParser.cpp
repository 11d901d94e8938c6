#include "cad/text/MTextParser.h"

#include <algorithm>
#include <cmath>

namespace cad::text {

namespace {

/// Groups nest no deeper than this; deeper braces are read as plain ones.
constexpr std::size_t kMaxGroupDepth = 64;

/// The character a %% code stands for at text[i] ("%%c" and the like), with
/// the number of characters it takes; 0 when there is none.
int percentCode(const QString& text, qsizetype i, QChar& out, bool& underline, bool& overline)
{
    if (i + 2 >= text.size() || text[i] != u'%' || text[i + 1] != u'%')
        return 0;
    const QChar code = text[i + 2].toLower();
    switch (code.unicode()) {
    // The diameter as Ø: the sign U+2300 is missing from the code pages and
    // most fonts a picture is played with.
    case 'c': out = QChar(0x00D8); return 3;
    case 'd': out = QChar(0x00B0); return 3; // degree sign
    case 'p': out = QChar(0x00B1); return 3; // plus-minus sign
    case '%': out = u'%'; return 3;
    case 'u': underline = true; return 3;
    case 'o': overline = true; return 3;
    case 'k': return 3; // strike-through toggle of newer CADs: not drawn for TEXT
    default: break;
    }
    // %%nnn: the character with that decimal code.
    if (i + 4 < text.size() && text[i + 2].isDigit() && text[i + 3].isDigit() && text[i + 4].isDigit()) {
        const int n = text.mid(i + 2, 3).toInt();
        out = n > 0 ? QChar(char16_t(n)) : QChar(u' ');
        return 5;
    }
    return 0;
}

class Parser {
public:
    Parser(const QString& s, double height) : m_s(s), m_baseHeight(height > 0 ? height : 1)
    {
        m_style.height = m_baseHeight;
        m_paragraphs.emplace_back();
    }

    std::vector<Paragraph> run()
    {
        const qsizetype n = m_s.size();
        for (m_i = 0; m_i < n; ++m_i) {
            const QChar c = m_s[m_i];
            if (c == u'\\' && m_i + 1 < n) {
                code(m_s[++m_i]);
            } else if (c == u'{') {
                flush();
                if (m_stack.size() < kMaxGroupDepth)
                    m_stack.push_back(m_style);
            } else if (c == u'}') {
                flush();
                if (!m_stack.empty()) {
                    m_style = m_stack.back();
                    m_stack.pop_back();
                }
            } else if (c == u'^' && m_i + 1 < n && m_s[m_i + 1] != u' ') {
                // Caret codes: ^J line feed, ^I tab, ^M carriage return.
                const QChar k = m_s[++m_i].toUpper();
                if (k == u'J' || k == u'M')
                    newParagraph();
                else if (k == u'I')
                    m_text += u' ';
                else
                    m_text += u'^', m_text += m_s[m_i];
            } else if (c == u'\n') {
                newParagraph();
            } else if (c == u'\r') {
                continue;
            } else {
                QChar special;
                bool underline = false, overline = false;
                if (const int used = percentCode(m_s, m_i, special, underline, overline)) {
                    if (underline || overline) {
                        flush();
                        m_style.underline ^= underline;
                        m_style.overline ^= overline;
                    } else if (!special.isNull()) {
                        m_text += special;
                    }
                    m_i += used - 1;
                } else {
                    m_text += c;
                }
            }
        }
        flush();
        return std::move(m_paragraphs);
    }

private:
    /// The argument of a code up to its ';' (or the end).
    QString argument()
    {
        const qsizetype end = m_s.indexOf(u';', m_i + 1);
        const QString value = m_s.mid(m_i + 1, end < 0 ? -1 : end - m_i - 1);
        m_i = end < 0 ? m_s.size() : end;
        return value;
    }
    /// A number with an optional 'x' suffix, which makes it relative to `current`.
    static double scaled(const QString& value, double current)
    {
        QString v = value.trimmed();
        const bool relative = v.endsWith(u'x') || v.endsWith(u'X');
        if (relative)
            v.chop(1);
        bool ok = false;
        const double number = v.toDouble(&ok);
        if (!ok || !std::isfinite(number) || number <= 0)
            return current;
        return relative ? current * number : number;
    }

    void code(QChar c)
    {
        switch (c.unicode()) {
        case 'P': case 'X': case 'N': newParagraph(); break;
        case '~': m_text += QChar(0x00A0); break;
        case '\\': case '{': case '}': m_text += c; break;
        case 'L': case 'l': toggle(m_style.underline, c == u'L'); break;
        case 'O': case 'o': toggle(m_style.overline, c == u'O'); break;
        case 'K': case 'k': toggle(m_style.strike, c == u'K'); break;
        case 'H': { const QString a = argument(); flush(); m_style.height = std::min(scaled(a, m_style.height), 1e12); break; }
        case 'W': { const QString a = argument(); flush(); m_style.widthFactor = std::min(scaled(a, m_style.widthFactor), 100.0); break; }
        case 'T': { const QString a = argument(); flush(); m_style.tracking = std::clamp(scaled(a, m_style.tracking), 0.75, 4.0); break; }
        case 'Q': {
            bool ok = false;
            const double angle = argument().toDouble(&ok);
            flush();
            if (ok && std::isfinite(angle))
                m_style.oblique = std::clamp(angle, -85.0, 85.0);
            break;
        }
        case 'C': {
            bool ok = false;
            const int aci = argument().toInt(&ok);
            flush();
            if (ok) {
                m_style.color = std::int16_t(aci >= 1 && aci <= 255 ? aci : -1);
                m_style.trueColor = -1;
            }
            break;
        }
        case 'c': {
            bool ok = false;
            // A Windows colour value: red in the low byte.
            const long long bgr = argument().toLongLong(&ok);
            flush();
            if (ok && bgr >= 0) {
                const std::int32_t r = std::int32_t(bgr & 0xFF), g = std::int32_t((bgr >> 8) & 0xFF),
                                   b = std::int32_t((bgr >> 16) & 0xFF);
                m_style.trueColor = (r << 16) | (g << 8) | b;
            }
            break;
        }
        case 'f': case 'F': {
            const QString a = argument();
            flush();
            m_style.font = a.section(u'|', 0, 0);
            break;
        }
        case 'A': case 'a': argument(); break;
        case 'p': paragraphProperties(argument()); break;
        case 'S': stack(); break;
        case 'U':
            if (m_i + 5 < m_s.size() && m_s[m_i + 1] == u'+') {
                bool ok = false;
                const uint u = m_s.mid(m_i + 2, 4).toUInt(&ok, 16);
                if (ok) {
                    m_text += QChar(char16_t(u));
                    m_i += 5;
                    break;
                }
            }
            m_text += c;
            break;
        case 'M':
            // \M+nXXXX: a double-byte character of a code page; shown as unknown.
            if (m_i + 6 < m_s.size() && m_s[m_i + 1] == u'+') {
                m_text += QChar(0xFFFD);
                m_i += 6;
            }
            break;
        default:
            m_text += c; // an unknown code stands for its character
            break;
        }
    }

    void toggle(bool& flag, bool on)
    {
        flush();
        flag = on;
    }

    void paragraphProperties(const QString& value)
    {
        // "\pxqc;", "\pi-3,l3,t4;" and the like: only the alignment is drawn.
        const qsizetype q = value.indexOf(u'q');
        if (q < 0 || q + 1 >= value.size())
            return;
        switch (value[q + 1].unicode()) {
        case 'l': m_paragraphs.back().align = Paragraph::Align::Left; break;
        case 'c': m_paragraphs.back().align = Paragraph::Align::Centre; break;
        case 'r': m_paragraphs.back().align = Paragraph::Align::Right; break;
        case 'j': m_paragraphs.back().align = Paragraph::Align::Justified; break;
        case 'd': m_paragraphs.back().align = Paragraph::Align::Distributed; break;
        default: break;
        }
    }

    void stack()
    {
        // Up to an unescaped ';': upper part, a separator (/ # ^), lower part.
        QString upper, lower;
        char16_t kind = 0;
        const qsizetype n = m_s.size();
        qsizetype i = m_i + 1;
        for (; i < n && m_s[i] != u';'; ++i) {
            QChar c = m_s[i];
            if (c == u'\\' && i + 1 < n) {
                c = m_s[++i]; // an escaped separator or semicolon is a character
            } else if (!kind && (c == u'/' || c == u'#' || c == u'^')) {
                kind = c.unicode();
                continue;
            }
            (kind ? lower : upper) += c;
        }
        m_i = std::min(i, n);
        flush();
        Fragment f;
        f.kind = Fragment::Kind::Stack;
        f.text = upper.trimmed();
        f.lower = lower.trimmed();
        f.stackKind = kind ? kind : u'^';
        f.style = m_style;
        if (!f.text.isEmpty() || !f.lower.isEmpty())
            m_paragraphs.back().fragments.push_back(std::move(f));
    }

    void flush()
    {
        if (m_text.isEmpty())
            return;
        auto& fragments = m_paragraphs.back().fragments;
        if (!fragments.empty() && fragments.back().kind == Fragment::Kind::Text && fragments.back().style == m_style)
            fragments.back().text += m_text;
        else
            fragments.push_back({Fragment::Kind::Text, m_text, {}, u'/', m_style});
        m_text.clear();
    }

    void newParagraph()
    {
        flush();
        const Paragraph::Align align = m_paragraphs.back().align;
        m_paragraphs.emplace_back().align = align; // alignment carries on until changed
    }

    const QString& m_s;
    double m_baseHeight;
    qsizetype m_i = 0;
    FragmentStyle m_style;
    std::vector<FragmentStyle> m_stack;
    QString m_text;
    std::vector<Paragraph> m_paragraphs;
};

} // namespace

std::vector<Paragraph> parseMText(const QString& contents, double height)
{
    return Parser(contents, height).run();
}

DecodedText decodeTextCodes(const QString& value)
{
    DecodedText out;
    bool underline = false, overline = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar special;
        bool u = false, o = false;
        if (const int used = percentCode(value, i, special, u, o)) {
            underline ^= u;
            overline ^= o;
            i += used - 1;
            if (special.isNull())
                continue;
        } else {
            special = value[i];
        }
        out.text += special;
        out.underline.push_back(underline);
        out.overline.push_back(overline);
    }
    return out;
}

} // namespace cad::text
