#include "TextEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace app {
namespace {
// ICU's name for Microsoft's code page 932 (Qt is built with ICU on Debian).
constexpr const char* kCp932 = "windows-31j";
const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
} // namespace

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);  // decoding happens on conversion to QString
    return !decoder.hasError();
}

TextFileEncoding detectEncoding(const QByteArray& bytes)
{
    if (bytes.startsWith(kUtf8Bom) || isValidUtf8(bytes))
        return TextFileEncoding::Utf8;
    return TextFileEncoding::Cp932;
}

QString decodeText(const QByteArray& bytes, TextFileEncoding encoding)
{
    if (encoding == TextFileEncoding::Utf8)
        return QString::fromUtf8(bytes);
    QStringDecoder decoder(kCp932);
    return decoder.decode(bytes);
}

QString decodeTextFile(const QByteArray& bytes)
{
    const TextFileEncoding encoding = detectEncoding(bytes);
    if (encoding == TextFileEncoding::Utf8 && bytes.startsWith(kUtf8Bom))
        return decodeText(bytes.mid(kUtf8Bom.size()), encoding);
    return decodeText(bytes, encoding);
}

QString decodeTextFile(const QByteArray& bytes, TextFileEncoding withoutBom)
{
    if (bytes.startsWith(kUtf8Bom))
        return decodeText(bytes.mid(kUtf8Bom.size()), TextFileEncoding::Utf8);
    return decodeText(bytes, withoutBom);
}

std::optional<QByteArray> encodeText(const QString& text, TextFileEncoding encoding)
{
    if (encoding == TextFileEncoding::Utf8) {
        QStringEncoder encoder(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        QByteArray out = encoder.encode(text);
        if (encoder.hasError())  // a lone surrogate
            return std::nullopt;
        return out;
    }
    QStringEncoder encoder(kCp932, QStringEncoder::Flag::Stateless);
    QByteArray out = encoder.encode(text);
    if (encoder.hasError() || !encoder.isValid())
        return std::nullopt;
    return out;
}

} // namespace app
