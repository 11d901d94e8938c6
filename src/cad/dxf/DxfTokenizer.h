#pragma once

// A tolerant reader of ASCII DXF group pairs over a file held in memory.
//
// Why our own tokenizer instead of dxflib: saving must rewrite single LAYER
// entries in place, so the reader has to know the byte range of every value;
// counting must see every entity type (dxflib drops the ones it has no callback
// for); paper space (group 67) and the code page are not exposed by dxflib;
// and a damaged file must end in a clear message, where dxflib stops silently
// or reads past the end. One pass over the bytes serves all of these.

#include "DxfMessages.h"

#include <QByteArray>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace cad::dxf {

/// One group: its code and its value (trailing CR and, for numbers, spaces
/// removed), with the value's byte offset in the file.
struct Group {
    int code = 0;
    std::string_view value;
    qsizetype valueOffset = 0;
    /// Offset of the group's code line.
    qsizetype offset = 0;

    bool is(int c, std::string_view v) const { return code == c && value == v; }
    double toDouble() const
    {
        // Most values are a bare number: read in place, without the call
        // and the trimming the padded spellings need.
        if (!value.empty() && static_cast<unsigned>(value.front() - '-') <= 12 && value.front() != '/'
            && static_cast<unsigned>(value.back() - '0') < 10) {
            double d = 0;
            const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), d);
            if (ec == std::errc() && std::isfinite(d))
                return d;
        }
        return toDoubleOfAnySpelling();
    }
    /// Integer value; a real-number spelling ("1.0") is accepted; 0 when unreadable.
    std::int64_t toInt() const;

private:
    double toDoubleOfAnySpelling() const;
};

class DxfTokenizer {
public:
    /// `bytes` must outlive the tokenizer. Throws DxfFormatError for binary DXF.
    explicit DxfTokenizer(const QByteArray& bytes);

    /// Reads the next group; false at the end of the data. Throws
    /// DxfFormatError when a code line is not a number.
    bool next(Group& group)
    {
        return (!m_hasPushed && nextPlain(group)) || nextInGeneral(group);
    }
    /// The next group is read again by the following next().
    void pushBack(const Group& group);
    /// 1-based number of the last line read (the last group's value line), for messages.
    qsizetype lineNumber() const { return m_line; }
    /// "\r\n" when the first line ends so, else "\n".
    QByteArray lineEnd() const;

private:
    /// The common case, read without copying: a code line of leading blanks
    /// and one to four digits, then its value line. False, having read
    /// nothing, for anything else.
    bool nextPlain(Group& group);
    /// Every case: blank lines, a pushed-back group, the end, bad codes.
    bool nextInGeneral(Group& group);
    bool readLine(std::string_view& line, qsizetype& begin);
    /// Offset of the first line feed at or after `from`, or m_size. Values
    /// are a few bytes long: the line feeds of 64 bytes at a time are found
    /// at once and kept as bits, which costs less than a search per line.
    qsizetype nextLineFeed(qsizetype from);
    void findLineFeeds(qsizetype blockStart);

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    qsizetype m_line = 0;
    qsizetype m_codeLine = 0;
    Group m_pushed;
    bool m_hasPushed = false;
    /// Bit i set: byte m_blockStart + i is a line feed.
    std::uint64_t m_lineFeeds = 0;
    qsizetype m_blockStart = -64;
};

inline qsizetype DxfTokenizer::nextLineFeed(qsizetype from)
{
    for (;;) {
        const qsizetype into = from - m_blockStart;
        if (into >= 0 && into < 64) {
            if (const std::uint64_t ahead = m_lineFeeds >> into)
                return from + std::countr_zero(ahead);
            from = m_blockStart + 64;
        }
        if (from >= m_size)
            return m_size;
        findLineFeeds(from);
    }
}

inline bool DxfTokenizer::nextPlain(Group& group)
{
    // Both line ends come from the kept bits first: the next group's start
    // then never waits for the digits of this one's code to be read.
    const qsizetype codeEnd = nextLineFeed(m_pos);
    if (codeEnd + 1 >= m_size)
        return false; // the data ends in or right after the code line
    const qsizetype lineFeed = nextLineFeed(codeEnd + 1);
    const char* p = m_data + m_pos;
    const char* codeLineEnd = m_data + codeEnd;
    if (codeLineEnd > p && codeLineEnd[-1] == '\r')
        --codeLineEnd;
    while (p < codeLineEnd && *p == ' ')
        ++p;
    const qsizetype digits = codeLineEnd - p;
    if (digits < 1 || digits > 4)
        return false; // no digits, more than four, or trailing blanks
    int code = 0;
    for (; p < codeLineEnd; ++p) {
        if (static_cast<unsigned>(*p - '0') >= 10)
            return false;
        code = code * 10 + (*p - '0');
    }
    if (code > 1071)
        return false;
    const char* const value = m_data + codeEnd + 1;
    const char* valueEnd = m_data + lineFeed;
    group.code = code;
    group.offset = m_pos;
    m_pos = lineFeed < m_size ? lineFeed + 1 : m_size;
    if (valueEnd > value && valueEnd[-1] == '\r')
        --valueEnd;
    group.value = std::string_view(value, size_t(valueEnd - value));
    group.valueOffset = value - m_data;
    m_line += 2;
    m_codeLine = m_line - 1;
    return true;
}

} // namespace cad::dxf
