#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

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
constexpr std::uint8_t Vietnamese = 163;
constexpr std::uint8_t Hebrew = 177;
constexpr std::uint8_t Arabic = 178;
constexpr std::uint8_t Baltic = 186;
constexpr std::uint8_t Thai = 222;
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

/// The face a font of this character set is written with: Arial for Western
/// text and the scripts that have no face of their own here (Hebrew, Arabic,
/// Baltic, Vietnamese, Thai), MS Gothic for the rest.
const char* metafileFace(std::uint8_t fontCharset);

/// A stretch of text that one character set holds (`held`), or that none
/// holds (a symbol such as the diameter sign, which is then drawn another way).
struct TextPiece {
    QString text;
    bool held = true;
};

/// The text cut where the character set must change: one piece when one set
/// holds it all; else the longest stretches one set holds, in order, and the
/// characters no set holds as pieces of their own.
std::vector<TextPiece> splitMetafileText(const QString& text);

} // namespace metafile
