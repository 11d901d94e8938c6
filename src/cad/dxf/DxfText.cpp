#include "DxfText.h"

namespace cad::dxf {

QByteArray encodingFor(const QString& acadVersion, const QString& codepage)
{
    // Versions compare as text: "AC1021" is R2007.
    if (acadVersion.size() == 6 && acadVersion.startsWith(QLatin1String("AC"))
        && acadVersion >= QLatin1String("AC1021"))
        return "UTF-8";
    const QString cp = codepage.trimmed().toUpper();
    QString number;
    if (cp.startsWith(QLatin1String("ANSI_")))
        number = cp.mid(5);
    else if (cp.startsWith(QLatin1String("DOS")))
        number = cp.mid(3);
    if (number == QLatin1String("932"))
        return "CP932";
    if (number == QLatin1String("936"))
        return "GBK";
    if (number == QLatin1String("949"))
        return "windows-949";
    if (number == QLatin1String("950"))
        return "Big5";
    if (cp.startsWith(QLatin1String("ANSI_")) && number.size() == 4 && number.startsWith('1')) {
        const QByteArray name = "windows-" + number.toLatin1();
        if (QStringDecoder(name.constData()).isValid())
            return name;
    }
    if (cp.startsWith(QLatin1String("DOS"))) {
        const QByteArray name = "IBM" + number.toLatin1();
        if (QStringDecoder(name.constData()).isValid())
            return name;
    }
    return "windows-1252";
}

DxfText::DxfText(const QByteArray& encoding)
    : m_encoding(encoding),
      m_decoder(encoding.constData()),
      m_encoder(encoding.constData()),
      m_isUtf8(encoding == "UTF-8")
{
    if (!m_decoder.isValid() || !m_encoder.isValid()) {
        m_encoding = "windows-1252";
        m_decoder = QStringDecoder(m_encoding.constData());
        m_encoder = QStringEncoder(m_encoding.constData());
    }
}

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isPlainAscii(std::string_view raw)
{
    for (char c : raw)
        if ((unsigned char)c >= 0x80 || c == '\\')
            return false;
    return true;
}

} // namespace

QString DxfText::decode(std::string_view raw)
{
    if (isPlainAscii(raw))
        return QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    QString text = m_isUtf8 ? QString::fromUtf8(raw.data(), qsizetype(raw.size()))
                            : m_decoder.decode(QByteArrayView(raw.data(), qsizetype(raw.size())));
    m_decoder.resetState();
    if (!text.contains(QLatin1String("\\U+"), Qt::CaseInsensitive))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 6 < text.size() && (text[i + 1] == 'U' || text[i + 1] == 'u')
            && text[i + 2] == '+') {
            int value = 0;
            bool ok = true;
            for (int k = 3; k < 7; ++k) {
                const int h = text[i + k].unicode() < 128 ? hexValue(char(text[i + k].unicode())) : -1;
                if (h < 0) { ok = false; break; }
                value = value * 16 + h;
            }
            if (ok) {
                out += QChar(char16_t(value));
                i += 6;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QByteArray DxfText::encode(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    auto escape = [&out](char16_t u) {
        out += "\\U+" + QByteArray::number(uint(u), 16).toUpper().rightJustified(4, '0');
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        const char16_t u = ch.unicode();
        if (u < 0x20 || u == 0x7F) {
            escape(u);
            continue;
        }
        if (u < 0x80) {
            // A backslash that would read as an escape stays literal only if
            // it does not start "\U+"; escape it then.
            if (u == '\\' && i + 2 < text.size() && (text[i + 1] == 'U' || text[i + 1] == 'u')
                && text[i + 2] == '+') {
                escape(u);
                continue;
            }
            out += char(u);
            continue;
        }
        if (m_isUtf8) {
            // Keep surrogate pairs together.
            if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                out += QString(text.mid(i, 2)).toUtf8();
                ++i;
            } else if (ch.isSurrogate()) {
                escape(u);
            } else {
                out += QString(ch).toUtf8();
            }
            continue;
        }
        QByteArray bytes = m_encoder.encode(QStringView(&ch, 1));
        const bool failed = m_encoder.hasError();
        m_encoder.resetState();
        // ICU substitutes an unmappable character; check by decoding back.
        if (failed || bytes.isEmpty() || decode(std::string_view(bytes.constData(), size_t(bytes.size()))) != QString(ch))
            escape(u);
        else
            out += bytes;
    }
    return out;
}

} // namespace cad::dxf
