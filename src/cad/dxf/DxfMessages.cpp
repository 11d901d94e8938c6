#include "DxfMessages.h"

namespace cad::dxf {
namespace {

struct Texts {
    const char* english;
    const char16_t* japanese;
};

Texts textsOf(DxfFormatError::Kind kind)
{
    using Kind = DxfFormatError::Kind;
    switch (kind) {
    case Kind::BinaryDxf:
        return {"binary DXF files are not supported; save the drawing as ASCII DXF",
                u"バイナリ形式の DXF ファイルは読めません。アスキー形式の DXF で保存し直してください。"};
    case Kind::NoLeadingSection:
        return {"the file does not start with a DXF section; it is not a DXF drawing",
                u"ファイルが DXF のセクションで始まっていません。DXF 図面ではありません。"};
    case Kind::NoSections:
        return {"the file holds no DXF sections; it is not a DXF drawing",
                u"ファイルに DXF のセクションがひとつもありません。DXF 図面ではありません。"};
    case Kind::GroupCodeExpected:
        return {"line %1: a group code was expected; the file is not a readable DXF drawing",
                u"%1 行目：グループコード（数値）があるはずの行に別のものがあります。DXF 図面として読めません。"};
    case Kind::CannotOpen:
        return {"cannot open %1: %2", u"%1 を開けません：%2"};
    case Kind::CannotRead:
        return {"cannot read %1: %2", u"%1 を読めません：%2"};
    }
    return {"the file is not a readable DXF drawing", u"DXF 図面として読めません。"};
}

/// `text` with %1, %2, ... replaced by the details in one pass, so that a
/// detail holding "%2" (a strange path) stays as it is.
QString filled(const QString& text, const QStringList& details)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int n = i + 1 < text.size() && text[i] == u'%' ? text[i + 1].digitValue() : -1;
        if (n >= 1 && n <= details.size()) {
            out += details[n - 1];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

DxfFormatError::DxfFormatError(Kind kind, QStringList details)
    : std::runtime_error(filled(QString::fromUtf8(textsOf(kind).english), details).toStdString()),
      m_kind(kind), m_details(std::move(details))
{
}

QString DxfFormatError::message() const
{
    return filled(QString::fromUtf16(textsOf(m_kind).japanese), m_details);
}

QString truncatedFileWarning(const QString& fileName, qsizetype lastLine)
{
    return QStringLiteral("「%1」は %2 行目で終わっていて、最後の EOF がありません（途中で切れたか、コピーが途中のファイルです）。"
                          "図面は欠けているかもしれません。")
        .arg(fileName)
        .arg(lastLine);
}

} // namespace cad::dxf
