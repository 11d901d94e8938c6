#include "cad/render/TextFormat.h"


#include <algorithm>

namespace cad::render {

double emFittingWidth(const QString& text, double em, double maximumWidth)
{
    if (!(maximumWidth > 0) || text.isEmpty())
        return em;
    double ems = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
                          || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFF60) || c.isSurrogate();
        ems += wide ? 1.0 : 0.55;
    }
    return std::min(em, maximumWidth / ems);
}

QString plainTextOf(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'%' && i + 2 < text.size() && text[i + 1] == u'%') {
            const QChar code = text[i + 2].toLower();
            if (code == u'c') { out += QChar(0x2300); i += 2; continue; } // diameter sign
            if (code == u'd') { out += QChar(0x00B0); i += 2; continue; }
            if (code == u'p') { out += QChar(0x00B1); i += 2; continue; }
            if (code == u'%') { out += u'%'; i += 2; continue; }
            if (code == u'u' || code == u'o' || code == u'k') { i += 2; continue; }
        }
        out += text[i];
    }
    return out;
}

QStringList mtextLines(const QString& text)
{
    QStringList lines;
    QString line;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'{' || c == u'}')
            continue;
        if (c == u'\n') {
            lines << line;
            line.clear();
            continue;
        }
        if (c != u'\\' || i + 1 >= n) {
            line += c;
            continue;
        }
        const QChar code = text[++i];
        switch (code.unicode()) {
        case 'P':
        case 'X':
            lines << line;
            line.clear();
            break;
        case '~':
            line += QChar(0x00A0);
            break;
        case '\\':
        case '{':
        case '}':
            line += code;
            break;
        case 'L': case 'l': case 'O': case 'o': case 'K': case 'k':
            break; // underline, overline, strike-through toggles
        case 'S': {
            // Stacked text up to ';': "1^2", "1/2" or "1#2" shown as 1/2.
            const qsizetype end = text.indexOf(u';', i + 1);
            QString stacked = text.mid(i + 1, end < 0 ? -1 : end - i - 1);
            stacked.replace(u'^', u'/').replace(u'#', u'/');
            line += stacked;
            i = end < 0 ? n : end;
            break;
        }
        case 'U':
            // \U+XXXX: a character by its code point.
            if (i + 5 < n && text[i + 1] == u'+') {
                bool ok = false;
                const uint code = text.mid(i + 2, 4).toUInt(&ok, 16);
                if (ok) {
                    line += QChar(char16_t(code));
                    i += 5;
                }
            }
            break;
        default:
            // Font, height, width, colour, tracking, oblique, alignment and
            // paragraph groups run to the next ';'.
            if (QStringLiteral("fFHCcWQTApa").contains(code)) {
                const qsizetype end = text.indexOf(u';', i + 1);
                i = end < 0 ? n : end;
            } else {
                line += code;
            }
            break;
        }
    }
    lines << line;
    for (QString& l : lines)
        l = plainTextOf(l);
    return lines;
}

} // namespace cad::render
