#pragma once

// Text values of a DXF file: the encoding chosen from $ACADVER and
// $DWGCODEPAGE, decoding with \U+XXXX escapes, and encoding back for saving.

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <string_view>

namespace cad::dxf {

/// The encoding of a file's text values: UTF-8 from R2007 (AC1021) on,
/// otherwise the code page's ("ANSI_932" and "dos932" are CP932, "ANSI_1252"
/// is windows-1252, ...); windows-1252 when the code page is missing or unknown.
QByteArray encodingFor(const QString& acadVersion, const QString& codepage);

class DxfText {
public:
    explicit DxfText(const QByteArray& encoding = "windows-1252");
    const QByteArray& encoding() const { return m_encoding; }

    /// Decodes a value and its \U+XXXX escapes; undecodable bytes become U+FFFD.
    QString decode(std::string_view raw);
    /// Encodes `text` for the file; a character the encoding cannot hold is
    /// written as a \U+XXXX escape, so that no name is ever changed by saving.
    /// Control characters (line ends would break the file) are escaped too.
    QByteArray encode(const QString& text);

private:
    QByteArray m_encoding;
    QStringDecoder m_decoder;
    QStringEncoder m_encoder;
    bool m_isUtf8 = false;
};

} // namespace cad::dxf
