#include "PrivateProfile.h"

#include <algorithm>

namespace app {
namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QString trimmedBlanks(const QString& s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.mid(begin, end - begin);
}

/// The section name of a header line, or nullopt when it is no header.
std::optional<QString> sectionName(const QString& line)
{
    const QString t = trimmedBlanks(line);
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    return trimmedBlanks(t.mid(1, close < 0 ? -1 : close - 1));
}

struct Entry {
    QString key;
    QString value;
};

std::optional<Entry> entry(const QString& line)
{
    const QString t = trimmedBlanks(line);
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'['))
        return std::nullopt;
    const qsizetype eq = t.indexOf(u'=');
    if (eq < 0)
        return std::nullopt;
    QString value = trimmedBlanks(t.mid(eq + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return Entry{trimmedBlanks(t.left(eq)), value};
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool breaksStructure(const QString& text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

} // namespace

PrivateProfile::PrivateProfile(const QByteArray& fileContent)
    : m_encoding(detectEncoding(fileContent))
{
    QByteArray body = fileContent;
    if (body.startsWith(kUtf8Bom)) {
        m_bom = kUtf8Bom;
        body.remove(0, kUtf8Bom.size());
    }
    qsizetype start = 0;
    while (start < body.size()) {
        qsizetype i = start;
        while (i < body.size() && body[i] != '\r' && body[i] != '\n')
            ++i;
        Line line{body.mid(start, i - start), {}};
        if (i < body.size()) {
            const qsizetype eolLength = (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ? 2 : 1;
            line.eol = body.mid(i, eolLength);
            i += eolLength;
        }
        m_lines.append(line);
        start = i;
    }
}

QString PrivateProfile::decoded(const Line& line) const
{
    return decodeText(line.bytes, m_encoding);
}

QByteArray PrivateProfile::defaultEol() const
{
    for (const Line& line : m_lines)
        if (!line.eol.isEmpty())
            return line.eol;
    return QByteArrayLiteral("\r\n");  // the platform's own line ending
}

PrivateProfile::Location PrivateProfile::locate(const QString& section, const QString& key) const
{
    Location where;
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString text = decoded(m_lines[i]);
        if (const auto name = sectionName(text)) {
            if (inSection)
                break;  // the section ended; later ones of the same name are ignored
            if (sameName(*name, section)) {
                inSection = true;
                where.sectionLine = where.lastEntryLine = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!trimmedBlanks(text).isEmpty())
            where.lastEntryLine = i;
        if (const auto e = entry(text); e && sameName(e->key, key)) {
            where.keyLine = i;
            break;
        }
    }
    return where;
}

std::optional<QString> PrivateProfile::value(const QString& section, const QString& key) const
{
    const Location where = locate(section, key);
    if (where.keyLine < 0)
        return std::nullopt;
    return entry(decoded(m_lines[where.keyLine]))->value;
}

bool PrivateProfile::setValue(const QString& section, const QString& key, const QString& text)
{
    if (trimmedBlanks(section).isEmpty() || trimmedBlanks(key).isEmpty() || breaksStructure(section)
        || breaksStructure(key) || breaksStructure(text) || section.contains(u']') || key.contains(u'=')
        || trimmedBlanks(key).startsWith(u';') || trimmedBlanks(key).startsWith(u'['))
        return false;

    const Location where = locate(section, key);
    const QByteArray eol = defaultEol();
    if (where.keyLine >= 0) {
        // Keep the key as the file spells it; only the value changes.
        const auto encoded = encodeText(entry(decoded(m_lines[where.keyLine]))->key + u'=' + text, m_encoding);
        if (!encoded)
            return false;
        m_lines[where.keyLine].bytes = *encoded;
        return true;
    }
    const auto keyLine = encodeText(key + u'=' + text, m_encoding);
    if (!keyLine)
        return false;
    if (where.sectionLine >= 0) {
        Line& before = m_lines[where.lastEntryLine];
        if (before.eol.isEmpty())
            before.eol = eol;
        m_lines.insert(where.lastEntryLine + 1, Line{*keyLine, eol});
        return true;
    }
    const auto header = encodeText(u'[' + section + u']', m_encoding);
    if (!header)
        return false;
    if (!m_lines.isEmpty() && m_lines.last().eol.isEmpty())
        m_lines.last().eol = eol;
    m_lines.append(Line{*header, eol});
    m_lines.append(Line{*keyLine, eol});
    return true;
}

QByteArray PrivateProfile::content() const
{
    QByteArray out = m_bom;
    for (const Line& line : m_lines)
        out += line.bytes + line.eol;
    return out;
}

qint32 profileInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    // Out of range, the value is clamped to the nearest 32-bit bound, as the
    // C library's documented integer reads (atoi, strtol) do; wrapping around
    // would turn a far position into an arbitrary one.
    const qint64 limit = negative ? -qint64(INT32_MIN) : qint64(INT32_MAX);
    qint64 total = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        total = std::min(limit, total * 10 + (text[i].unicode() - u'0'));
    return qint32(negative ? -total : total);
}

} // namespace app
