#include "XlsxDrawingWriter.h"

#include "ExcelSurface.h"
#include "SheetGeometry.h"

#include <QXmlStreamWriter>

#include <cmath>

namespace excel {
namespace {

const QString kNsRel = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kNsXdr = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing");
const QString kNsA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");

QString emu(double points)
{
    return QString::number(qint64(std::llround(std::max(0.0, points) * double(kEmuPerPoint))));
}

/// Drawing text has no escape: characters XML cannot carry are left out.
QString drawingText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const ushort u = c.unicode();
        if ((u < 0x20 && u != 0x09) || u == 0xFFFE || u == 0xFFFF)
            continue;
        out += c;
    }
    return out;
}

void writeAnchorCorner(QXmlStreamWriter& x, const char* element, const CellAnchor& a)
{
    x.writeStartElement(kNsXdr, QLatin1String(element));
    x.writeTextElement(kNsXdr, QStringLiteral("col"), QString::number(a.column));
    x.writeTextElement(kNsXdr, QStringLiteral("colOff"), QString::number(a.columnOffset));
    x.writeTextElement(kNsXdr, QStringLiteral("row"), QString::number(a.row));
    x.writeTextElement(kNsXdr, QStringLiteral("rowOff"), QString::number(a.rowOffset));
    x.writeEndElement();
}

void writeTransform(QXmlStreamWriter& x, const ShapeModel& s)
{
    x.writeStartElement(kNsA, QStringLiteral("xfrm"));
    x.writeEmptyElement(kNsA, QStringLiteral("off"));
    x.writeAttribute(QStringLiteral("x"), emu(s.left));
    x.writeAttribute(QStringLiteral("y"), emu(s.top));
    x.writeEmptyElement(kNsA, QStringLiteral("ext"));
    x.writeAttribute(QStringLiteral("cx"), emu(s.width));
    x.writeAttribute(QStringLiteral("cy"), emu(s.height));
    x.writeEndElement();
    x.writeStartElement(kNsA, QStringLiteral("prstGeom"));
    x.writeAttribute(QStringLiteral("prst"), QStringLiteral("rect"));
    x.writeEmptyElement(kNsA, QStringLiteral("avLst"));
    x.writeEndElement();
}

void writeSolidLine(QXmlStreamWriter& x, double weightPoints, quint32 rgb)
{
    x.writeStartElement(kNsA, QStringLiteral("ln"));
    x.writeAttribute(QStringLiteral("w"), emu(weightPoints));
    x.writeStartElement(kNsA, QStringLiteral("solidFill"));
    x.writeEmptyElement(kNsA, QStringLiteral("srgbClr"));
    x.writeAttribute(QStringLiteral("val"), QStringLiteral("%1").arg(rgb, 6, 16, QChar(u'0')).toUpper());
    x.writeEndElement();
    x.writeEndElement();
}

void writePicture(QXmlStreamWriter& x, const ShapeModel& s, int id, int relationship)
{
    x.writeStartElement(kNsXdr, QStringLiteral("pic"));
    x.writeStartElement(kNsXdr, QStringLiteral("nvPicPr"));
    x.writeEmptyElement(kNsXdr, QStringLiteral("cNvPr"));
    x.writeAttribute(QStringLiteral("id"), QString::number(id));
    x.writeAttribute(QStringLiteral("name"), QStringLiteral("Picture %1").arg(id - 1));
    x.writeStartElement(kNsXdr, QStringLiteral("cNvPicPr"));
    x.writeEmptyElement(kNsA, QStringLiteral("picLocks"));
    x.writeAttribute(QStringLiteral("noChangeAspect"), QStringLiteral("1"));
    x.writeEndElement();
    x.writeEndElement();

    x.writeStartElement(kNsXdr, QStringLiteral("blipFill"));
    x.writeEmptyElement(kNsA, QStringLiteral("blip"));
    x.writeAttribute(kNsRel, QStringLiteral("embed"), QStringLiteral("rId%1").arg(relationship));
    x.writeStartElement(kNsA, QStringLiteral("stretch"));
    x.writeEmptyElement(kNsA, QStringLiteral("fillRect"));
    x.writeEndElement();
    x.writeEndElement();

    x.writeStartElement(kNsXdr, QStringLiteral("spPr"));
    writeTransform(x, s);
    if (s.outlined) {
        writeSolidLine(x, s.outlineWeight, s.outlineRgb);
    } else {
        x.writeStartElement(kNsA, QStringLiteral("ln"));
        x.writeEmptyElement(kNsA, QStringLiteral("noFill"));
        x.writeEndElement();
    }
    x.writeEndElement();
    x.writeEndElement();
}

void writeTextBox(QXmlStreamWriter& x, const ShapeModel& s, int id)
{
    x.writeStartElement(kNsXdr, QStringLiteral("sp"));
    x.writeAttribute(QStringLiteral("macro"), QString());
    x.writeAttribute(QStringLiteral("textlink"), QString());
    x.writeStartElement(kNsXdr, QStringLiteral("nvSpPr"));
    x.writeEmptyElement(kNsXdr, QStringLiteral("cNvPr"));
    x.writeAttribute(QStringLiteral("id"), QString::number(id));
    x.writeAttribute(QStringLiteral("name"), QStringLiteral("TextBox %1").arg(id - 1));
    x.writeEmptyElement(kNsXdr, QStringLiteral("cNvSpPr"));
    x.writeAttribute(QStringLiteral("txBox"), QStringLiteral("1"));
    x.writeEndElement();

    // A new text box is white with a thin black outline.
    x.writeStartElement(kNsXdr, QStringLiteral("spPr"));
    writeTransform(x, s);
    x.writeStartElement(kNsA, QStringLiteral("solidFill"));
    x.writeEmptyElement(kNsA, QStringLiteral("srgbClr"));
    x.writeAttribute(QStringLiteral("val"), QStringLiteral("FFFFFF"));
    x.writeEndElement();
    writeSolidLine(x, 0.75, 0x000000);
    x.writeEndElement();

    x.writeStartElement(kNsXdr, QStringLiteral("txBody"));
    x.writeEmptyElement(kNsA, QStringLiteral("bodyPr"));
    x.writeAttribute(QStringLiteral("wrap"), QStringLiteral("square"));
    x.writeAttribute(QStringLiteral("rtlCol"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("anchor"), QStringLiteral("t"));
    x.writeEmptyElement(kNsA, QStringLiteral("lstStyle"));
    // Each line of the text is a paragraph of its own.
    const QString size = QString::number(qint64(std::llround(s.fontSize * 100)));
    for (const QString& line : s.text.split(u'\n')) {
        x.writeStartElement(kNsA, QStringLiteral("p"));
        x.writeEmptyElement(kNsA, QStringLiteral("pPr"));
        x.writeAttribute(QStringLiteral("algn"), s.centred ? QStringLiteral("ctr") : QStringLiteral("l"));
        const QString text = drawingText(line);
        if (text.isEmpty()) {
            x.writeEmptyElement(kNsA, QStringLiteral("endParaRPr"));
            x.writeAttribute(QStringLiteral("lang"), QStringLiteral("ja-JP"));
            x.writeAttribute(QStringLiteral("sz"), size);
        } else {
            x.writeStartElement(kNsA, QStringLiteral("r"));
            x.writeEmptyElement(kNsA, QStringLiteral("rPr"));
            x.writeAttribute(QStringLiteral("lang"), QStringLiteral("ja-JP"));
            x.writeAttribute(QStringLiteral("altLang"), QStringLiteral("en-US"));
            x.writeAttribute(QStringLiteral("sz"), size);
            x.writeTextElement(kNsA, QStringLiteral("t"), text);
            x.writeEndElement();
        }
        x.writeEndElement();
    }
    x.writeEndElement(); // txBody
    x.writeEndElement(); // sp
}

} // namespace

QByteArray drawingXml(const SheetModel& sheet)
{
    QByteArray bytes;
    QXmlStreamWriter x(&bytes);
    x.writeStartDocument(QStringLiteral("1.0"), true);
    x.writeNamespace(kNsXdr, QStringLiteral("xdr"));
    x.writeNamespace(kNsA, QStringLiteral("a"));
    x.writeNamespace(kNsRel, QStringLiteral("r"));
    x.writeStartElement(kNsXdr, QStringLiteral("wsDr"));
    int id = 1;
    int pictureRelationship = 0;
    for (const auto& shape : sheet.shapes) {
        const ShapeModel& s = *shape;
        x.writeStartElement(kNsXdr, QStringLiteral("twoCellAnchor"));
        if (s.placement == xl::kMove)
            x.writeAttribute(QStringLiteral("editAs"), QStringLiteral("oneCell"));
        else if (s.placement == xl::kFreeFloating)
            x.writeAttribute(QStringLiteral("editAs"), QStringLiteral("absolute"));
        writeAnchorCorner(x, "from", anchorAt(s.left, s.top, sheet.columnWidths));
        writeAnchorCorner(x, "to", anchorAt(s.left + s.width, s.top + s.height, sheet.columnWidths));
        ++id;
        if (s.kind == ShapeModel::Kind::Picture)
            writePicture(x, s, id, ++pictureRelationship);
        else
            writeTextBox(x, s, id);
        x.writeEmptyElement(kNsXdr, QStringLiteral("clientData"));
        x.writeEndElement();
    }
    x.writeEndElement();
    x.writeEndDocument();
    return bytes;
}

} // namespace excel
