#include "metafile/WmfText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <map>

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
    case 177: return "windows-1255";
    case 178: return "windows-1256";
    case 186: return "windows-1257";
    case charset::Russian: return "windows-1251";
    case 222: return "windows-874";
    case charset::EastEurope: return "windows-1250";
    case charset::Symbol: return "ISO-8859-1";
    default: return "windows-1252";
    }
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
    static constexpr std::array candidates{charset::ShiftJis, charset::Hangeul, charset::Gb2312,
                                           charset::ChineseBig5, charset::Russian, charset::Greek,
                                           charset::EastEurope, charset::Turkish, charset::Ansi};
    // A fresh encoder each time: an encoder's error flag never clears.
    for (std::uint8_t set : candidates) {
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

} // namespace metafile
