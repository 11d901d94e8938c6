#include "XlsxCommentsWriter.h"

#include "XlsxPackageWriter.h"

#include <QXmlStreamWriter>

namespace excel {
namespace {

const QString kNsMain = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString kNsV = QStringLiteral("urn:schemas-microsoft-com:vml");
const QString kNsO = QStringLiteral("urn:schemas-microsoft-com:office:office");
const QString kNsX = QStringLiteral("urn:schemas-microsoft-com:office:excel");

/// Note text keeps what XML can carry; other control characters are left out.
QString noteText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != 0x09 && u != 0x0A) || u == 0xFFFE || u == 0xFFFF)
            continue;
        out += c;
    }
    return out;
}

} // namespace

QByteArray commentsXml(const SheetModel& sheet)
{
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeStartElement(QStringLiteral("comments"));
    x.writeDefaultNamespace(kNsMain);
    x.writeStartElement(QStringLiteral("authors"));
    x.writeTextElement(QStringLiteral("author"), QStringLiteral("Kasanemi"));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("commentList"));
    for (const auto& [cell, content] : sheet.cells) {
        if (content.note.isEmpty())
            continue;
        x.writeStartElement(QStringLiteral("comment"));
        x.writeAttribute(QStringLiteral("ref"), columnLetters(cell.second) + QString::number(cell.first));
        x.writeAttribute(QStringLiteral("authorId"), QStringLiteral("0"));
        x.writeStartElement(QStringLiteral("text"));
        x.writeStartElement(QStringLiteral("t"));
        x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        x.writeCharacters(noteText(content.note));
        x.writeEndElement();
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndElement();
    x.writeEndElement();
    x.writeEndDocument();
    return bytes;
}

QByteArray commentsVml(const SheetModel& sheet, int part)
{
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.writeNamespace(kNsV, QStringLiteral("v"));
    x.writeNamespace(kNsO, QStringLiteral("o"));
    x.writeNamespace(kNsX, QStringLiteral("x"));
    x.writeStartElement(QStringLiteral("xml"));
    x.writeStartElement(kNsO, QStringLiteral("shapelayout"));
    x.writeAttribute(kNsV, QStringLiteral("ext"), QStringLiteral("edit"));
    x.writeEmptyElement(kNsO, QStringLiteral("idmap"));
    x.writeAttribute(kNsV, QStringLiteral("ext"), QStringLiteral("edit"));
    x.writeAttribute(QStringLiteral("data"), QString::number(part));
    x.writeEndElement();

    // The note box's shape type, as the spreadsheet writes it.
    x.writeStartElement(kNsV, QStringLiteral("shapetype"));
    x.writeAttribute(QStringLiteral("id"), QStringLiteral("_x0000_t202"));
    x.writeAttribute(QStringLiteral("coordsize"), QStringLiteral("21600,21600"));
    x.writeAttribute(kNsO, QStringLiteral("spt"), QStringLiteral("202"));
    x.writeAttribute(QStringLiteral("path"), QStringLiteral("m,l,21600r21600,l21600,xe"));
    x.writeEmptyElement(kNsV, QStringLiteral("stroke"));
    x.writeAttribute(QStringLiteral("joinstyle"), QStringLiteral("miter"));
    x.writeEmptyElement(kNsV, QStringLiteral("path"));
    x.writeAttribute(QStringLiteral("gradientshapeok"), QStringLiteral("t"));
    x.writeAttribute(kNsO, QStringLiteral("connecttype"), QStringLiteral("rect"));
    x.writeEndElement();

    int shape = 0;
    for (const auto& [cell, content] : sheet.cells) {
        if (content.note.isEmpty())
            continue;
        const auto [row, column] = cell;
        x.writeStartElement(kNsV, QStringLiteral("shape"));
        x.writeAttribute(QStringLiteral("id"), QStringLiteral("_x0000_s%1").arg(part * 1024 + ++shape));
        x.writeAttribute(QStringLiteral("type"), QStringLiteral("#_x0000_t202"));
        x.writeAttribute(QStringLiteral("style"),
                         QStringLiteral("position:absolute;margin-left:80pt;margin-top:2pt;width:108pt;"
                                        "height:40pt;z-index:%1;visibility:hidden").arg(shape));
        x.writeAttribute(QStringLiteral("fillcolor"), QStringLiteral("#ffffe1"));
        x.writeAttribute(kNsO, QStringLiteral("insetmode"), QStringLiteral("auto"));
        x.writeEmptyElement(kNsV, QStringLiteral("fill"));
        x.writeAttribute(QStringLiteral("color2"), QStringLiteral("#ffffe1"));
        x.writeEmptyElement(kNsV, QStringLiteral("shadow"));
        x.writeAttribute(QStringLiteral("on"), QStringLiteral("t"));
        x.writeAttribute(QStringLiteral("color"), QStringLiteral("black"));
        x.writeAttribute(QStringLiteral("obscured"), QStringLiteral("t"));
        x.writeEmptyElement(kNsV, QStringLiteral("path"));
        x.writeAttribute(kNsO, QStringLiteral("connecttype"), QStringLiteral("none"));
        x.writeStartElement(kNsV, QStringLiteral("textbox"));
        x.writeAttribute(QStringLiteral("style"), QStringLiteral("mso-direction-alt:auto"));
        x.writeEmptyElement(QStringLiteral("div"));
        x.writeAttribute(QStringLiteral("style"), QStringLiteral("text-align:left"));
        x.writeEndElement();
        x.writeStartElement(kNsX, QStringLiteral("ClientData"));
        x.writeAttribute(QStringLiteral("ObjectType"), QStringLiteral("Note"));
        x.writeEmptyElement(kNsX, QStringLiteral("MoveWithCells"));
        x.writeEmptyElement(kNsX, QStringLiteral("SizeWithCells"));
        // Left column and offset, top row and offset, right, bottom (0-based).
        x.writeTextElement(kNsX, QStringLiteral("Anchor"), QStringLiteral("%1, 15, %2, 2, %3, 15, %4, 4")
                                                              .arg(column)
                                                              .arg(std::max(0, row - 2))
                                                              .arg(column + 2)
                                                              .arg(row + 2));
        x.writeTextElement(kNsX, QStringLiteral("AutoFill"), QStringLiteral("False"));
        x.writeTextElement(kNsX, QStringLiteral("Row"), QString::number(row - 1));
        x.writeTextElement(kNsX, QStringLiteral("Column"), QString::number(column - 1));
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndElement();
    x.writeEndDocument();
    return bytes;
}

} // namespace excel
