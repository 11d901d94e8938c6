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

#include <charconv>
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
    double toDouble() const;
    /// Integer value; a real-number spelling ("1.0") is accepted; 0 when unreadable.
    std::int64_t toInt() const;
};

class DxfTokenizer {
public:
    /// `bytes` must outlive the tokenizer. Throws DxfFormatError for binary DXF.
    explicit DxfTokenizer(const QByteArray& bytes);

    /// Reads the next group; false at the end of the data. Throws
    /// DxfFormatError when a code line is not a number.
    bool next(Group& group);
    /// The next group is read again by the following next().
    void pushBack(const Group& group);
    /// 1-based line number of the last group's code line, for messages.
    qsizetype lineNumber() const { return m_line; }
    /// "\r\n" when the first line ends so, else "\n".
    QByteArray lineEnd() const;

private:
    bool readLine(std::string_view& line, qsizetype& begin);

    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
    qsizetype m_line = 0;
    qsizetype m_codeLine = 0;
    Group m_pushed;
    bool m_hasPushed = false;
};

} // namespace cad::dxf
