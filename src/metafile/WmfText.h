#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace metafile {

/// Metafile text is 8-bit: its bytes mean characters of the code page named
/// by the selected font's character set (128 = Shift_JIS / code page 932).
namespace charset {
constexpr std::uint8_t Ansi = 0;
constexpr std::uint8_t Default = 1;
constexpr std::uint8_t Symbol = 2;
constexpr std::uint8_t ShiftJis = 128;
constexpr std::uint8_t Hangeul = 129;
constexpr std::uint8_t Gb2312 = 134;
constexpr std::uint8_t ChineseBig5 = 136;
constexpr std::uint8_t Greek = 161;
constexpr std::uint8_t Turkish = 162;
constexpr std::uint8_t Russian = 204;
constexpr std::uint8_t EastEurope = 238;
} // namespace charset

/// Text bytes in a font's character set, decoded. Unknown character sets are
/// read as Windows-1252, the usual default.
QString decodeMetafileText(const QByteArray& bytes, std::uint8_t fontCharset);

/// Text encoded for a metafile: the first character set (ANSI, Shift_JIS,
/// Korean, Chinese, Cyrillic, ...) that holds every character, and its bytes.
/// Characters that no set holds become '?' in Shift_JIS.
struct EncodedText {
    std::uint8_t charset = charset::Ansi;
    QByteArray bytes;
};
EncodedText encodeMetafileText(const QString& text);

} // namespace metafile
