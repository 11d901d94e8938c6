#include "DxfTokenizer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cad::dxf {

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

double Group::toDoubleOfAnySpelling() const
{
    std::string_view s = trimmed(value);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    double d = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), d);
    if (ec != std::errc() || !std::isfinite(d))
        return 0;
    return d;
}

std::int64_t Group::toInt() const
{
    std::string_view s = trimmed(value);
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    std::int64_t i = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), i);
    if (ec == std::errc() && end == s.data() + s.size())
        return i;
    // Some writers put integer groups as reals ("1.0"); take the whole part.
    const double d = toDouble();
    if (d > -9.2e18 && d < 9.2e18)
        return std::int64_t(d);
    return 0;
}

DxfTokenizer::DxfTokenizer(const QByteArray& bytes)
    : m_data(bytes.constData()), m_size(bytes.size())
{
    static const char binarySentinel[] = "AutoCAD Binary DXF";
    if (m_size >= qsizetype(sizeof binarySentinel - 1)
        && std::memcmp(m_data, binarySentinel, sizeof binarySentinel - 1) == 0)
        throw DxfFormatError(DxfFormatError::Kind::BinaryDxf);
    // A UTF-8 byte order mark in front of the first code.
    if (m_size >= 3 && std::memcmp(m_data, "\xEF\xBB\xBF", 3) == 0)
        m_pos = 3;
}

bool DxfTokenizer::readLine(std::string_view& line, qsizetype& begin)
{
    if (m_pos >= m_size)
        return false;
    begin = m_pos;
    const void* nl = std::memchr(m_data + m_pos, '\n', size_t(m_size - m_pos));
    qsizetype end = nl ? static_cast<const char*>(nl) - m_data : m_size;
    m_pos = nl ? end + 1 : m_size;
    qsizetype valueEnd = end;
    if (valueEnd > begin && m_data[valueEnd - 1] == '\r')
        --valueEnd;
    line = std::string_view(m_data + begin, size_t(valueEnd - begin));
    ++m_line;
    return true;
}

bool DxfTokenizer::nextInGeneral(Group& group)
{
    if (m_hasPushed) {
        m_hasPushed = false;
        group = m_pushed;
        return true;
    }
    std::string_view codeLine;
    qsizetype codeBegin = 0;
    do {
        if (!readLine(codeLine, codeBegin))
            return false;
        // Blank lines between groups occur in hand-edited files; skip them.
    } while (trimmed(codeLine).empty() && m_pos < m_size);
    m_codeLine = m_line;
    const std::string_view c = trimmed(codeLine);
    int code = 0;
    auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), code);
    if (c.empty() || ec != std::errc() || end != c.data() + c.size() || code < 0 || code > 1071) {
        if (c.empty())
            return false; // trailing blank lines at the end of the file
        throw DxfFormatError(DxfFormatError::Kind::GroupCodeExpected, {QString::number(m_codeLine)});
    }
    std::string_view valueLine;
    qsizetype valueBegin = 0;
    if (!readLine(valueLine, valueBegin)) {
        // A file cut off after a code line: the group is lost, the rest stays.
        return false;
    }
    group.code = code;
    group.value = valueLine;
    group.valueOffset = valueBegin;
    group.offset = codeBegin;
    return true;
}

void DxfTokenizer::findLineFeeds(qsizetype blockStart)
{
    m_blockStart = blockStart;
    const char* const block = m_data + blockStart;
    std::uint64_t bits = 0;
#if defined(__SSE2__)
    if (m_size - blockStart >= 64) {
        const __m128i lineFeed = _mm_set1_epi8('\n');
        for (int i = 0; i < 4; ++i) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * i));
            const auto mask = std::uint32_t(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)));
            bits |= std::uint64_t(mask) << (16 * i);
        }
        m_lineFeeds = bits;
        return;
    }
#endif
    const qsizetype n = std::min<qsizetype>(64, m_size - blockStart);
    for (qsizetype i = 0; i < n; ++i)
        if (block[i] == '\n')
            bits |= std::uint64_t(1) << i;
    m_lineFeeds = bits;
}

void DxfTokenizer::pushBack(const Group& group)
{
    m_pushed = group;
    m_hasPushed = true;
}

QByteArray DxfTokenizer::lineEnd() const
{
    const void* nl = std::memchr(m_data, '\n', size_t(m_size));
    if (nl && nl != m_data && static_cast<const char*>(nl)[-1] == '\r')
        return "\r\n";
    return "\n";
}

} // namespace cad::dxf
