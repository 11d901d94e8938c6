#include "metafile/WmfText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>

namespace metafile {

namespace {

const char* codePageName(std::uint8_t set)
{
    switch (set) {
    case charset::ShiftJis: return "windows-31j";
    case charset::Hangeul: return "windows-949";
    case charset::Gb2312: return "GBK";
    case charset::ChineseBig5: return "Big5";
    case charset::Greek: return "windows-1253";
    case charset::Turkish: return "windows-1254";
    case charset::Hebrew: return "windows-1255";
    case charset::Arabic: return "windows-1256";
    case charset::Baltic: return "windows-1257";
    case charset::Vietnamese: return "windows-1258";
    case charset::Russian: return "windows-1251";
    case charset::Thai: return "windows-874";
    case charset::EastEurope: return "windows-1250";
    case charset::Symbol: return "ISO-8859-1";
    default: return "windows-1252";
    }
}

/// The character sets a metafile font can name, in the order they are tried.
constexpr std::array kCandidates{charset::ShiftJis, charset::Hangeul, charset::Gb2312, charset::ChineseBig5,
                                 charset::Russian,  charset::Greek,   charset::EastEurope, charset::Turkish,
                                 charset::Hebrew,   charset::Arabic,  charset::Baltic,     charset::Vietnamese,
                                 charset::Thai,     charset::Ansi};

/// Which of kCandidates hold one character (bit i for kCandidates[i]);
/// learnt once a character per thread.
std::uint32_t setsHolding(char32_t code)
{
    if (code < 0x80) {
        // ASCII is in every set; but a right-to-left set's piece is laid out
        // right to left, so Latin letters and digits beside Hebrew or Arabic
        // go into a piece of their own (a space may join either).
        std::uint32_t rightToLeft = 0;
        for (size_t i = 0; i < kCandidates.size(); ++i)
            if (kCandidates[i] == charset::Hebrew || kCandidates[i] == charset::Arabic)
                rightToLeft |= 1u << i;
        return code == ' ' ? ~0u : ~rightToLeft;
    }
    thread_local std::unordered_map<char32_t, std::uint32_t> known;
    if (const auto it = known.find(code); it != known.end())
        return it->second;
    const QString character = QString::fromUcs4(&code, 1);
    std::uint32_t sets = 0;
    for (size_t i = 0; i < kCandidates.size(); ++i) {
        QStringEncoder encoder(codePageName(kCandidates[i]), QStringConverter::Flag::Stateless);
        if (!encoder.isValid())
            continue;
        const QByteArray bytes = encoder.encode(character);
        // Some converters write '?' for what they lack without an error.
        if (!encoder.hasError() && !(bytes == "?" && character != QLatin1String("?")))
            sets |= 1u << i;
    }
    if (known.size() < 65536)
        known.emplace(code, sets);
    return sets;
}

bool isAscii(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

QString decodeMetafileText(const QByteArray& bytes, std::uint8_t fontCharset)
{
    // Opening a converter costs far more than a short text, so each thread
    // keeps one a code page; stateless, every call stands on its own.
    thread_local std::map<std::uint8_t, QStringDecoder> decoders;
    auto it = decoders.find(fontCharset);
    if (it == decoders.end())
        it = decoders
                 .emplace(fontCharset, QStringDecoder(codePageName(fontCharset), QStringConverter::Flag::Stateless))
                 .first;
    if (!it->second.isValid())
        return QString::fromLatin1(bytes);
    return it->second.decode(bytes);
}

EncodedText encodeMetafileText(const QString& text)
{
    if (isAscii(text))
        return {charset::Ansi, text.toLatin1()};
    // Western text: Latin-1 outside 0x80-0x9F is Windows-1252 byte for byte.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100 && (c.unicode() < 0x80 || c.unicode() > 0x9F); }))
        return {charset::Ansi, text.toLatin1()};
    // A fresh encoder each time: an encoder's error flag never clears.
    for (std::uint8_t set : kCandidates) {
        QStringEncoder encoder(codePageName(set), QStringConverter::Flag::Stateless);
        if (!encoder.isValid())
            continue;
        QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError())
            return {set, bytes};
    }
    // No set holds every character: Shift_JIS with '?' for the rest.
    QStringEncoder fallback(codePageName(charset::ShiftJis));
    QByteArray bytes = fallback.encode(text);
    return {charset::ShiftJis, bytes};
}

const char* metafileFace(std::uint8_t set)
{
    const bool proportional = set == charset::Ansi || set == charset::Hebrew || set == charset::Arabic
                              || set == charset::Baltic || set == charset::Vietnamese || set == charset::Thai;
    return proportional ? "Arial" : "MS Gothic";
}

std::vector<TextPiece> splitMetafileText(const QString& text)
{
    std::vector<TextPiece> pieces;
    std::uint32_t common = 0;
    for (qsizetype i = 0; i < text.size();) {
        const bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const qsizetype length = pair ? 2 : 1;
        const char32_t code = pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
        const QStringView character(text.constData() + i, length);
        i += length;
        const std::uint32_t sets = setsHolding(code);
        if (sets == 0) {
            if (pieces.empty() || pieces.back().held)
                pieces.push_back({{}, false});
            pieces.back().text += character;
            continue;
        }
        if (pieces.empty() || !pieces.back().held || (common & sets) == 0) {
            pieces.push_back({{}, true});
            common = ~0u;
        }
        pieces.back().text += character;
        common &= sets;
    }
    return pieces;
}

} // namespace metafile
