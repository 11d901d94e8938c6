#include "metafile/WmfText.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <array>

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
    QStringDecoder decoder(codePageName(fontCharset));
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

EncodedText encodeMetafileText(const QString& text)
{
    if (isAscii(text))
        return {charset::Ansi, text.toLatin1()};
    static constexpr std::array candidates{charset::Ansi, charset::ShiftJis, charset::Hangeul,
                                           charset::Gb2312, charset::ChineseBig5, charset::Russian,
                                           charset::Greek, charset::EastEurope, charset::Turkish};
    for (std::uint8_t set : candidates) {
        QStringEncoder encoder(codePageName(set), QStringConverter::Flag::Stateless);
        if (!encoder.isValid())
            continue;
        QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError())
            return {set, bytes};
    }
    QStringEncoder fallback(codePageName(charset::ShiftJis));
    QByteArray bytes = fallback.encode(text);
    return {charset::ShiftJis, bytes};
}

} // namespace metafile
