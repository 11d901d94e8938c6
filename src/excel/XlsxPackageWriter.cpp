#include "XlsxPackageWriter.h"

#include "ExcelError.h"
#include "ExcelSurface.h"
#include "SheetGeometry.h"

#include <QHash>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamWriter>

#include <zip.h>

#include <cmath>
#include <memory>

namespace excel {
namespace {

const QString kNsMain = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString kNsRel = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kNsPkgRel = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString kNsXdr = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing");
const QString kNsA = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
const QString kRelBase = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");

[[noreturn]] void fail(const QString& why)
{
    throw ExcelError(error::kWriteFailed, why);
}

/// XML 1.0 cannot carry most control characters. Cell texts keep them as the
/// format's _xHHHH_ escapes (and a literal "_xHHHH_" is protected the same
/// way), so every text survives the round trip.
QString escapeCellText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        const bool control = (u < 0x20 && u != 0x09 && u != 0x0A && u != 0x0D) || u == 0xFFFE || u == 0xFFFF;
        const bool literalEscape = c == u'_' && i + 6 < text.size() && text.at(i + 1) == u'x'
            && text.at(i + 6) == u'_'
            && [&] { bool ok = false; text.mid(i + 2, 4).toUShort(&ok, 16); return ok; }();
        if (control || literalEscape)
            out += QStringLiteral("_x%1_").arg(QString::number(u, 16).toUpper().rightJustified(4, u'0'));
        else
            out += c;
    }
    return out;
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

QString number(double d)
{
    if (d == std::trunc(d) && std::fabs(d) < 1e15)
        return QString::number(qint64(d));
    return QString::number(d, 'g', 17);
}

QString emu(double points)
{
    return QString::number(qint64(std::llround(std::max(0.0, points) * double(kEmuPerPoint))));
}

/// A writer over a byte array, with the declaration every part starts with.
struct Part {
    QByteArray bytes;
    QXmlStreamWriter xml{&bytes};
    Part() { xml.writeStartDocument(QStringLiteral("1.0"), true); }
    QByteArray finish()
    {
        xml.writeEndDocument();
        return bytes;
    }
};

/// Texts of the cells of every sheet, each once, in order of first use.
struct SharedStrings {
    QStringList texts;
    QHash<QString, int> index;
    int uses = 0;
    int add(const QString& text)
    {
        ++uses;
        const auto it = index.constFind(text);
        if (it != index.constEnd())
            return *it;
        index.insert(text, int(texts.size()));
        texts << text;
        return int(texts.size() - 1);
    }
};

bool hasShapes(const SheetModel& sheet) { return !sheet.shapes.empty(); }

/// Numbers of the sheets' drawings (1-based, only sheets with shapes) and of
/// the media files of each drawing's pictures, in sheet order.
struct DrawingNumbers {
    std::vector<int> drawingOfSheet;           // 0 = no drawing
    std::vector<std::vector<int>> mediaOfSheet; // per picture shape, in shape order
    int drawings = 0;
    int media = 0;
};

DrawingNumbers numberDrawings(const WorkbookModel& book)
{
    DrawingNumbers n;
    for (const auto& sheet : book.sheets) {
        n.drawingOfSheet.push_back(hasShapes(*sheet) ? ++n.drawings : 0);
        std::vector<int> media;
        for (const auto& shape : sheet->shapes)
            if (shape->kind == ShapeModel::Kind::Picture)
                media.push_back(++n.media);
        n.mediaOfSheet.push_back(std::move(media));
    }
    return n;
}

QByteArray contentTypesXml(const WorkbookModel& book, const DrawingNumbers& n)
{
    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("Types"));
    x.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types"));
    auto def = [&](const char* ext, const char* type) {
        x.writeEmptyElement(QStringLiteral("Default"));
        x.writeAttribute(QStringLiteral("Extension"), QLatin1String(ext));
        x.writeAttribute(QStringLiteral("ContentType"), QLatin1String(type));
    };
    def("rels", "application/vnd.openxmlformats-package.relationships+xml");
    def("xml", "application/xml");
    if (n.media > 0)
        def("wmf", "image/x-wmf");
    auto over = [&](const QString& part, const char* type) {
        x.writeEmptyElement(QStringLiteral("Override"));
        x.writeAttribute(QStringLiteral("PartName"), part);
        x.writeAttribute(QStringLiteral("ContentType"), QLatin1String(type));
    };
    over(QStringLiteral("/xl/workbook.xml"),
         "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
    for (std::size_t i = 0; i < book.sheets.size(); ++i)
        over(QStringLiteral("/xl/worksheets/sheet%1.xml").arg(i + 1),
             "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
    for (int d = 1; d <= n.drawings; ++d)
        over(QStringLiteral("/xl/drawings/drawing%1.xml").arg(d),
             "application/vnd.openxmlformats-officedocument.drawing+xml");
    over(QStringLiteral("/xl/styles.xml"),
         "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
    over(QStringLiteral("/xl/sharedStrings.xml"),
         "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");
    x.writeEndElement();
    return p.finish();
}

/// A relationships part; each entry is (type suffix, target).
QByteArray relationshipsXml(const std::vector<std::pair<QString, QString>>& rels)
{
    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("Relationships"));
    x.writeDefaultNamespace(kNsPkgRel);
    int id = 0;
    for (const auto& [type, target] : rels) {
        x.writeEmptyElement(QStringLiteral("Relationship"));
        x.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId%1").arg(++id));
        x.writeAttribute(QStringLiteral("Type"), kRelBase + type);
        x.writeAttribute(QStringLiteral("Target"), target);
    }
    x.writeEndElement();
    return p.finish();
}

QByteArray rootRelsXml()
{
    return relationshipsXml({{QStringLiteral("officeDocument"), QStringLiteral("xl/workbook.xml")}});
}

QByteArray workbookXml(const WorkbookModel& book)
{
    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("workbook"));
    x.writeDefaultNamespace(kNsMain);
    x.writeNamespace(kNsRel, QStringLiteral("r"));
    x.writeStartElement(QStringLiteral("bookViews"));
    x.writeEmptyElement(QStringLiteral("workbookView"));
    x.writeAttribute(QStringLiteral("activeTab"), QString::number(book.activeSheet));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("sheets"));
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        x.writeEmptyElement(QStringLiteral("sheet"));
        x.writeAttribute(QStringLiteral("name"), book.sheets[i]->name);
        x.writeAttribute(QStringLiteral("sheetId"), QString::number(i + 1));
        x.writeAttribute(kNsRel, QStringLiteral("id"), QStringLiteral("rId%1").arg(i + 1));
    }
    x.writeEndElement();
    x.writeEndElement();
    return p.finish();
}

QByteArray workbookRelsXml(const WorkbookModel& book)
{
    std::vector<std::pair<QString, QString>> rels;
    for (std::size_t i = 0; i < book.sheets.size(); ++i)
        rels.emplace_back(QStringLiteral("worksheet"), QStringLiteral("worksheets/sheet%1.xml").arg(i + 1));
    rels.emplace_back(QStringLiteral("styles"), QStringLiteral("styles.xml"));
    rels.emplace_back(QStringLiteral("sharedStrings"), QStringLiteral("sharedStrings.xml"));
    return relationshipsXml(rels);
}

/// Style 0 is the plain cell; style 1 has thin borders in the automatic colour.
QByteArray stylesXml()
{
    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("styleSheet"));
    x.writeDefaultNamespace(kNsMain);

    x.writeStartElement(QStringLiteral("fonts"));
    x.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
    x.writeStartElement(QStringLiteral("font"));
    x.writeEmptyElement(QStringLiteral("sz"));
    x.writeAttribute(QStringLiteral("val"), QStringLiteral("11"));
    x.writeEmptyElement(QStringLiteral("name"));
    x.writeAttribute(QStringLiteral("val"), QStringLiteral("Calibri"));
    x.writeEmptyElement(QStringLiteral("family"));
    x.writeAttribute(QStringLiteral("val"), QStringLiteral("2"));
    x.writeEndElement();
    x.writeEndElement();

    // The format requires the first two fills to be these.
    x.writeStartElement(QStringLiteral("fills"));
    x.writeAttribute(QStringLiteral("count"), QStringLiteral("2"));
    for (const char* pattern : {"none", "gray125"}) {
        x.writeStartElement(QStringLiteral("fill"));
        x.writeEmptyElement(QStringLiteral("patternFill"));
        x.writeAttribute(QStringLiteral("patternType"), QLatin1String(pattern));
        x.writeEndElement();
    }
    x.writeEndElement();

    x.writeStartElement(QStringLiteral("borders"));
    x.writeAttribute(QStringLiteral("count"), QStringLiteral("2"));
    x.writeStartElement(QStringLiteral("border"));
    for (const char* edge : {"left", "right", "top", "bottom", "diagonal"})
        x.writeEmptyElement(QLatin1String(edge));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("border"));
    for (const char* edge : {"left", "right", "top", "bottom"}) {
        x.writeStartElement(QLatin1String(edge));
        x.writeAttribute(QStringLiteral("style"), QStringLiteral("thin"));
        x.writeEmptyElement(QStringLiteral("color"));
        x.writeAttribute(QStringLiteral("auto"), QStringLiteral("1"));
        x.writeEndElement();
    }
    x.writeEmptyElement(QStringLiteral("diagonal"));
    x.writeEndElement();
    x.writeEndElement();

    x.writeStartElement(QStringLiteral("cellStyleXfs"));
    x.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
    x.writeEmptyElement(QStringLiteral("xf"));
    for (const char* a : {"numFmtId", "fontId", "fillId", "borderId"})
        x.writeAttribute(QLatin1String(a), QStringLiteral("0"));
    x.writeEndElement();

    x.writeStartElement(QStringLiteral("cellXfs"));
    x.writeAttribute(QStringLiteral("count"), QStringLiteral("2"));
    for (int border = 0; border < 2; ++border) {
        x.writeEmptyElement(QStringLiteral("xf"));
        x.writeAttribute(QStringLiteral("numFmtId"), QStringLiteral("0"));
        x.writeAttribute(QStringLiteral("fontId"), QStringLiteral("0"));
        x.writeAttribute(QStringLiteral("fillId"), QStringLiteral("0"));
        x.writeAttribute(QStringLiteral("borderId"), QString::number(border));
        x.writeAttribute(QStringLiteral("xfId"), QStringLiteral("0"));
        if (border)
            x.writeAttribute(QStringLiteral("applyBorder"), QStringLiteral("1"));
    }
    x.writeEndElement();

    x.writeStartElement(QStringLiteral("cellStyles"));
    x.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
    x.writeEmptyElement(QStringLiteral("cellStyle"));
    x.writeAttribute(QStringLiteral("name"), QStringLiteral("Normal"));
    x.writeAttribute(QStringLiteral("xfId"), QStringLiteral("0"));
    x.writeAttribute(QStringLiteral("builtinId"), QStringLiteral("0"));
    x.writeEndElement();

    x.writeEndElement();
    return p.finish();
}

QByteArray worksheetXml(const SheetModel& sheet, bool active, bool withDrawing, SharedStrings& strings)
{
    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("worksheet"));
    x.writeDefaultNamespace(kNsMain);
    x.writeNamespace(kNsRel, QStringLiteral("r"));

    if (!sheet.cells.empty()) {
        qint32 lastRow = 1, firstColumn = kMaxColumns, lastColumn = 1;
        for (const auto& [cell, content] : sheet.cells) {
            lastRow = std::max(lastRow, cell.first);
            firstColumn = std::min(firstColumn, cell.second);
            lastColumn = std::max(lastColumn, cell.second);
        }
        x.writeEmptyElement(QStringLiteral("dimension"));
        x.writeAttribute(QStringLiteral("ref"), QStringLiteral("%1%2:%3%4")
                                                    .arg(columnLetters(firstColumn))
                                                    .arg(sheet.cells.begin()->first.first)
                                                    .arg(columnLetters(lastColumn))
                                                    .arg(lastRow));
    }

    x.writeStartElement(QStringLiteral("sheetViews"));
    x.writeEmptyElement(QStringLiteral("sheetView"));
    if (active)
        x.writeAttribute(QStringLiteral("tabSelected"), QStringLiteral("1"));
    x.writeAttribute(QStringLiteral("workbookViewId"), QStringLiteral("0"));
    x.writeEndElement();

    x.writeEmptyElement(QStringLiteral("sheetFormatPr"));
    x.writeAttribute(QStringLiteral("defaultRowHeight"), QStringLiteral("15"));

    if (!sheet.columnWidths.empty()) {
        x.writeStartElement(QStringLiteral("cols"));
        for (const auto& [column, width] : sheet.columnWidths) {
            x.writeEmptyElement(QStringLiteral("col"));
            x.writeAttribute(QStringLiteral("min"), QString::number(column));
            x.writeAttribute(QStringLiteral("max"), QString::number(column));
            x.writeAttribute(QStringLiteral("width"), QString::number(width, 'g', 10));
            x.writeAttribute(QStringLiteral("customWidth"), QStringLiteral("1"));
        }
        x.writeEndElement();
    }

    x.writeStartElement(QStringLiteral("sheetData"));
    qint32 openRow = 0;
    for (const auto& [cell, content] : sheet.cells) {
        if (cell.first != openRow) {
            if (openRow)
                x.writeEndElement();
            openRow = cell.first;
            x.writeStartElement(QStringLiteral("row"));
            x.writeAttribute(QStringLiteral("r"), QString::number(openRow));
        }
        const QVariant& v = content.value;
        const bool isText = v.typeId() == QMetaType::QString;
        const bool isNumber = v.isValid() && !isText;
        x.writeStartElement(QStringLiteral("c"));
        x.writeAttribute(QStringLiteral("r"), columnLetters(cell.second) + QString::number(cell.first));
        if (content.thinBorders)
            x.writeAttribute(QStringLiteral("s"), QStringLiteral("1"));
        if (isText) {
            x.writeAttribute(QStringLiteral("t"), QStringLiteral("s"));
            x.writeTextElement(QStringLiteral("v"), QString::number(strings.add(v.toString())));
        } else if (isNumber) {
            x.writeTextElement(QStringLiteral("v"), number(v.toDouble()));
        }
        x.writeEndElement();
    }
    if (openRow)
        x.writeEndElement();
    x.writeEndElement(); // sheetData

    x.writeEmptyElement(QStringLiteral("pageMargins"));
    x.writeAttribute(QStringLiteral("left"), QStringLiteral("0.7"));
    x.writeAttribute(QStringLiteral("right"), QStringLiteral("0.7"));
    x.writeAttribute(QStringLiteral("top"), QStringLiteral("0.75"));
    x.writeAttribute(QStringLiteral("bottom"), QStringLiteral("0.75"));
    x.writeAttribute(QStringLiteral("header"), QStringLiteral("0.3"));
    x.writeAttribute(QStringLiteral("footer"), QStringLiteral("0.3"));

    if (withDrawing) {
        x.writeEmptyElement(QStringLiteral("drawing"));
        x.writeAttribute(kNsRel, QStringLiteral("id"), QStringLiteral("rId1"));
    }
    x.writeEndElement();
    return p.finish();
}

QByteArray sharedStringsXml(const SharedStrings& strings)
{
    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("sst"));
    x.writeDefaultNamespace(kNsMain);
    x.writeAttribute(QStringLiteral("count"), QString::number(strings.uses));
    x.writeAttribute(QStringLiteral("uniqueCount"), QString::number(strings.texts.size()));
    for (const QString& text : strings.texts) {
        x.writeStartElement(QStringLiteral("si"));
        x.writeStartElement(QStringLiteral("t"));
        x.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        x.writeCharacters(escapeCellText(text));
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndElement();
    return p.finish();
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

QByteArray drawingXml(const SheetModel& sheet)
{
    Part p;
    auto& x = p.xml;
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
    return p.finish();
}

QByteArray drawingRelsXml(const std::vector<int>& media)
{
    std::vector<std::pair<QString, QString>> rels;
    for (int m : media)
        rels.emplace_back(QStringLiteral("image"), QStringLiteral("../media/image%1.wmf").arg(m));
    return relationshipsXml(rels);
}

/// The zip archive built in memory; entries keep the bytes they were given.
class ZipBuilder {
public:
    ZipBuilder()
    {
        zip_error_t error;
        zip_error_init(&error);
        m_source = zip_source_buffer_create(nullptr, 0, 0, &error);
        if (!m_source)
            fail(QStringLiteral("cannot create the package buffer: %1").arg(QString::fromUtf8(zip_error_strerror(&error))));
        zip_source_keep(m_source);
        m_zip = zip_open_from_source(m_source, ZIP_TRUNCATE, &error);
        if (!m_zip) {
            const QString why = QString::fromUtf8(zip_error_strerror(&error));
            zip_error_fini(&error);
            zip_source_free(m_source);
            fail(QStringLiteral("cannot open the package: %1").arg(why));
        }
        zip_error_fini(&error);
    }

    ~ZipBuilder()
    {
        if (m_zip)
            zip_discard(m_zip);
        zip_source_free(m_source);
    }

    ZipBuilder(const ZipBuilder&) = delete;
    ZipBuilder& operator=(const ZipBuilder&) = delete;

    void add(const QString& name, const QByteArray& bytes)
    {
        // The archive reads the bytes at close time; keep them alive until then.
        m_keep.push_back(bytes);
        const QByteArray& kept = m_keep.back();
        zip_source_t* source = zip_source_buffer(m_zip, kept.constData(), zip_uint64_t(kept.size()), 0);
        if (!source)
            fail(QStringLiteral("cannot add %1: %2").arg(name, QString::fromUtf8(zip_strerror(m_zip))));
        const zip_int64_t index = zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            fail(QStringLiteral("cannot add %1: %2").arg(name, QString::fromUtf8(zip_strerror(m_zip))));
        }
        // 1980-01-01 00:00, the earliest DOS date: the same workbook, the same bytes.
        constexpr zip_uint16_t kDosTime = 0;
        constexpr zip_uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;
        if (zip_file_set_dostime(m_zip, zip_uint64_t(index), kDosTime, kDosDate, 0) < 0
            || zip_set_file_compression(m_zip, zip_uint64_t(index), ZIP_CM_DEFLATE, 6) < 0)
            fail(QStringLiteral("cannot set up %1: %2").arg(name, QString::fromUtf8(zip_strerror(m_zip))));
    }

    QByteArray finish()
    {
        if (zip_close(m_zip) < 0)
            fail(QStringLiteral("cannot write the package: %1").arg(QString::fromUtf8(zip_strerror(m_zip))));
        m_zip = nullptr;
        m_keep.clear();

        zip_stat_t st;
        if (zip_source_stat(m_source, &st) < 0 || zip_source_open(m_source) < 0)
            fail(QStringLiteral("cannot read the package back"));
        QByteArray out;
        out.resize(qsizetype(st.size));
        const zip_int64_t got = zip_source_read(m_source, out.data(), st.size);
        zip_source_close(m_source);
        if (got < 0 || zip_uint64_t(got) != st.size)
            fail(QStringLiteral("cannot read the package back"));
        return out;
    }

private:
    zip_source_t* m_source = nullptr;
    zip_t* m_zip = nullptr;
    std::vector<QByteArray> m_keep;
};

} // namespace

QString columnLetters(qint32 column)
{
    QString letters;
    for (qint32 n = column; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + (n - 1) % 26));
    return letters;
}

QByteArray xlsxPackage(const WorkbookModel& book)
{
    if (book.sheets.empty())
        throw ExcelError(error::kRefused, QStringLiteral("a workbook without sheets"));

    const DrawingNumbers n = numberDrawings(book);
    SharedStrings strings;
    std::vector<QByteArray> sheets;
    for (std::size_t i = 0; i < book.sheets.size(); ++i)
        sheets.push_back(worksheetXml(*book.sheets[i], i == book.activeSheet, n.drawingOfSheet[i] > 0, strings));

    ZipBuilder zip;
    zip.add(QStringLiteral("[Content_Types].xml"), contentTypesXml(book, n));
    zip.add(QStringLiteral("_rels/.rels"), rootRelsXml());
    zip.add(QStringLiteral("xl/workbook.xml"), workbookXml(book));
    zip.add(QStringLiteral("xl/_rels/workbook.xml.rels"), workbookRelsXml(book));
    zip.add(QStringLiteral("xl/styles.xml"), stylesXml());
    zip.add(QStringLiteral("xl/sharedStrings.xml"), sharedStringsXml(strings));
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        zip.add(QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1), sheets[i]);
        const int drawing = n.drawingOfSheet[i];
        if (!drawing)
            continue;
        zip.add(QStringLiteral("xl/worksheets/_rels/sheet%1.xml.rels").arg(i + 1),
                relationshipsXml({{QStringLiteral("drawing"),
                                   QStringLiteral("../drawings/drawing%1.xml").arg(drawing)}}));
        zip.add(QStringLiteral("xl/drawings/drawing%1.xml").arg(drawing), drawingXml(*book.sheets[i]));
        zip.add(QStringLiteral("xl/drawings/_rels/drawing%1.xml.rels").arg(drawing),
                drawingRelsXml(n.mediaOfSheet[i]));
    }
    for (std::size_t i = 0; i < book.sheets.size(); ++i) {
        std::size_t picture = 0;
        for (const auto& shape : book.sheets[i]->shapes)
            if (shape->kind == ShapeModel::Kind::Picture)
                zip.add(QStringLiteral("xl/media/image%1.wmf").arg(n.mediaOfSheet[i][picture++]),
                        shape->pictureData);
    }
    return zip.finish();
}

void writeXlsxFile(const WorkbookModel& book, const QString& path)
{
    const QByteArray bytes = xlsxPackage(book);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size() || !file.commit())
        fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
}

} // namespace excel
