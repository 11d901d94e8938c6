#include "XlsxParts.h"

#include "XlsxCommentsWriter.h"
#include "XlsxDrawingWriter.h"
#include "XlsxPackageWriter.h"

#include <QXmlStreamWriter>

#include <cmath>

namespace excel::parts {
namespace {

const QString kNsMain = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString kNsRel = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kNsPkgRel = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString kRelBase = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");

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

QString number(double d)
{
    if (d == std::trunc(d) && std::fabs(d) < 1e15)
        return QString::number(qint64(d));
    return QString::number(d, 'g', 17);
}

QString argb(quint32 rgb)
{
    return QStringLiteral("FF%1").arg(rgb, 6, 16, QChar(u'0')).toUpper();
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

/// A sheet name as a formula names it: in apostrophes, its own doubled.
QString quotedSheet(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

void writeDimension(QXmlStreamWriter& x, const SheetModel& sheet)
{
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

void writeSheetView(QXmlStreamWriter& x, const SheetModel& sheet, bool active)
{
    const bool frozen = sheet.frozenRows > 0 || sheet.frozenColumns > 0;
    x.writeStartElement(QStringLiteral("sheetViews"));
    if (frozen)
        x.writeStartElement(QStringLiteral("sheetView"));
    else
        x.writeEmptyElement(QStringLiteral("sheetView"));
    if (active)
        x.writeAttribute(QStringLiteral("tabSelected"), QStringLiteral("1"));
    x.writeAttribute(QStringLiteral("workbookViewId"), QStringLiteral("0"));
    if (frozen) {
        const QString pane = sheet.frozenRows == 0      ? QStringLiteral("topRight")
                             : sheet.frozenColumns == 0 ? QStringLiteral("bottomLeft")
                                                        : QStringLiteral("bottomRight");
        x.writeEmptyElement(QStringLiteral("pane"));
        if (sheet.frozenColumns > 0)
            x.writeAttribute(QStringLiteral("xSplit"), QString::number(sheet.frozenColumns));
        if (sheet.frozenRows > 0)
            x.writeAttribute(QStringLiteral("ySplit"), QString::number(sheet.frozenRows));
        x.writeAttribute(QStringLiteral("topLeftCell"),
                         columnLetters(sheet.frozenColumns + 1) + QString::number(sheet.frozenRows + 1));
        x.writeAttribute(QStringLiteral("activePane"), pane);
        x.writeAttribute(QStringLiteral("state"), QStringLiteral("frozen"));
        x.writeEmptyElement(QStringLiteral("selection"));
        x.writeAttribute(QStringLiteral("pane"), pane);
        x.writeEndElement();
    }
    x.writeEndElement();
}

void writeColumns(QXmlStreamWriter& x, const SheetModel& sheet)
{
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

void writeSheetData(QXmlStreamWriter& x, const SheetModel& sheet, SharedStrings& strings, StyleTable& styles)
{
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
        if (const int style = styles.styleOf(content))
            x.writeAttribute(QStringLiteral("s"), QString::number(style));
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
}

void writeFont(QXmlStreamWriter& x, const CellLook& look)
{
    x.writeStartElement(QStringLiteral("font"));
    if (look.bold)
        x.writeEmptyElement(QStringLiteral("b"));
    if (look.italic)
        x.writeEmptyElement(QStringLiteral("i"));
    x.writeEmptyElement(QStringLiteral("sz"));
    x.writeAttribute(QStringLiteral("val"), QStringLiteral("11"));
    if (look.fontRgb) {
        x.writeEmptyElement(QStringLiteral("color"));
        x.writeAttribute(QStringLiteral("rgb"), argb(*look.fontRgb));
    }
    x.writeEmptyElement(QStringLiteral("name"));
    x.writeAttribute(QStringLiteral("val"), QStringLiteral("Calibri"));
    x.writeEmptyElement(QStringLiteral("family"));
    x.writeAttribute(QStringLiteral("val"), QStringLiteral("2"));
    x.writeEndElement();
}

void writeBorders(QXmlStreamWriter& x)
{
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
}

} // namespace

int SharedStrings::add(const QString& text)
{
    ++uses;
    const auto it = index.constFind(text);
    if (it != index.constEnd())
        return *it;
    index.insert(text, int(texts.size()));
    texts << text;
    return int(texts.size() - 1);
}

int StyleTable::styleOf(const CellModel& cell)
{
    const Format wanted{cell.thinBorders, cell.look};
    for (std::size_t i = 0; i < m_formats.size(); ++i)
        if (m_formats[i].borders == wanted.borders && m_formats[i].look == wanted.look)
            return int(i);
    m_formats.push_back(wanted);
    return int(m_formats.size() - 1);
}

QByteArray StyleTable::xml() const
{
    // Font 0 and fills 0 and 1 are the plain ones (the format requires those
    // two fills first); each look that needs one adds a font or a fill.
    std::vector<CellLook> fonts{CellLook{}};
    std::vector<quint32> fills;
    std::vector<std::pair<int, int>> fontAndFill;
    for (const Format& f : m_formats) {
        CellLook fontLook;
        fontLook.fontRgb = f.look.fontRgb;
        fontLook.italic = f.look.italic;
        fontLook.bold = f.look.bold;
        int font = 0;
        if (!fontLook.isPlain()) {
            const auto it = std::find(fonts.begin(), fonts.end(), fontLook);
            font = int(it - fonts.begin());
            if (it == fonts.end())
                fonts.push_back(fontLook);
        }
        int fill = 0;
        if (f.look.fillRgb) {
            const auto it = std::find(fills.begin(), fills.end(), *f.look.fillRgb);
            fill = 2 + int(it - fills.begin());
            if (it == fills.end())
                fills.push_back(*f.look.fillRgb);
        }
        fontAndFill.emplace_back(font, fill);
    }

    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("styleSheet"));
    x.writeDefaultNamespace(kNsMain);

    x.writeStartElement(QStringLiteral("fonts"));
    x.writeAttribute(QStringLiteral("count"), QString::number(fonts.size()));
    for (const CellLook& font : fonts)
        writeFont(x, font);
    x.writeEndElement();

    x.writeStartElement(QStringLiteral("fills"));
    x.writeAttribute(QStringLiteral("count"), QString::number(2 + fills.size()));
    for (const char* pattern : {"none", "gray125"}) {
        x.writeStartElement(QStringLiteral("fill"));
        x.writeEmptyElement(QStringLiteral("patternFill"));
        x.writeAttribute(QStringLiteral("patternType"), QLatin1String(pattern));
        x.writeEndElement();
    }
    for (quint32 rgb : fills) {
        x.writeStartElement(QStringLiteral("fill"));
        x.writeStartElement(QStringLiteral("patternFill"));
        x.writeAttribute(QStringLiteral("patternType"), QStringLiteral("solid"));
        x.writeEmptyElement(QStringLiteral("fgColor"));
        x.writeAttribute(QStringLiteral("rgb"), argb(rgb));
        x.writeEmptyElement(QStringLiteral("bgColor"));
        x.writeAttribute(QStringLiteral("indexed"), QStringLiteral("64"));
        x.writeEndElement();
        x.writeEndElement();
    }
    x.writeEndElement();

    writeBorders(x);

    x.writeStartElement(QStringLiteral("cellStyleXfs"));
    x.writeAttribute(QStringLiteral("count"), QStringLiteral("1"));
    x.writeEmptyElement(QStringLiteral("xf"));
    for (const char* a : {"numFmtId", "fontId", "fillId", "borderId"})
        x.writeAttribute(QLatin1String(a), QStringLiteral("0"));
    x.writeEndElement();

    x.writeStartElement(QStringLiteral("cellXfs"));
    x.writeAttribute(QStringLiteral("count"), QString::number(m_formats.size()));
    for (std::size_t i = 0; i < m_formats.size(); ++i) {
        const auto [font, fill] = fontAndFill[i];
        x.writeEmptyElement(QStringLiteral("xf"));
        x.writeAttribute(QStringLiteral("numFmtId"), QStringLiteral("0"));
        x.writeAttribute(QStringLiteral("fontId"), QString::number(font));
        x.writeAttribute(QStringLiteral("fillId"), QString::number(fill));
        x.writeAttribute(QStringLiteral("borderId"), m_formats[i].borders ? QStringLiteral("1") : QStringLiteral("0"));
        x.writeAttribute(QStringLiteral("xfId"), QStringLiteral("0"));
        if (m_formats[i].borders)
            x.writeAttribute(QStringLiteral("applyBorder"), QStringLiteral("1"));
        if (font)
            x.writeAttribute(QStringLiteral("applyFont"), QStringLiteral("1"));
        if (fill)
            x.writeAttribute(QStringLiteral("applyFill"), QStringLiteral("1"));
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

QByteArray contentTypes(const Inventory& inventory)
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
    if (inventory.media)
        def("wmf", "image/x-wmf");
    if (!inventory.commentParts.empty())
        def("vml", "application/vnd.openxmlformats-officedocument.vmlDrawing");
    auto over = [&](const QString& part, const char* type) {
        x.writeEmptyElement(QStringLiteral("Override"));
        x.writeAttribute(QStringLiteral("PartName"), part);
        x.writeAttribute(QStringLiteral("ContentType"), QLatin1String(type));
    };
    over(QStringLiteral("/xl/workbook.xml"),
         "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml");
    for (int sheet : inventory.sheetParts)
        over(QStringLiteral("/xl/worksheets/sheet%1.xml").arg(sheet),
             "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml");
    for (int d : inventory.drawingParts)
        over(QStringLiteral("/xl/drawings/drawing%1.xml").arg(d),
             "application/vnd.openxmlformats-officedocument.drawing+xml");
    for (int c : inventory.commentParts)
        over(QStringLiteral("/xl/comments%1.xml").arg(c),
             "application/vnd.openxmlformats-officedocument.spreadsheetml.comments+xml");
    over(QStringLiteral("/xl/styles.xml"),
         "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml");
    over(QStringLiteral("/xl/sharedStrings.xml"),
         "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml");
    x.writeEndElement();
    return p.finish();
}

QByteArray relationships(const std::vector<std::pair<QString, QString>>& rels)
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

QByteArray rootRelationships()
{
    return relationships({{QStringLiteral("officeDocument"), QStringLiteral("xl/workbook.xml")}});
}

QByteArray workbook(const std::vector<SheetEntry>& sheets, std::size_t activeSheet)
{
    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("workbook"));
    x.writeDefaultNamespace(kNsMain);
    x.writeNamespace(kNsRel, QStringLiteral("r"));
    x.writeStartElement(QStringLiteral("bookViews"));
    x.writeEmptyElement(QStringLiteral("workbookView"));
    x.writeAttribute(QStringLiteral("activeTab"), QString::number(activeSheet));
    x.writeEndElement();
    x.writeStartElement(QStringLiteral("sheets"));
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        x.writeEmptyElement(QStringLiteral("sheet"));
        x.writeAttribute(QStringLiteral("name"), sheets[i].name);
        x.writeAttribute(QStringLiteral("sheetId"), QString::number(i + 1));
        x.writeAttribute(kNsRel, QStringLiteral("id"), QStringLiteral("rId%1").arg(i + 1));
    }
    x.writeEndElement();
    // Print titles are the sheet-local defined name the spreadsheet reads them from.
    bool namesOpen = false;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        QStringList ranges;
        for (const QString& titles : {sheets[i].printTitleColumns, sheets[i].printTitleRows})
            if (!titles.isEmpty())
                ranges << quotedSheet(sheets[i].name) + u'!' + titles;
        if (ranges.isEmpty())
            continue;
        if (!std::exchange(namesOpen, true))
            x.writeStartElement(QStringLiteral("definedNames"));
        x.writeStartElement(QStringLiteral("definedName"));
        x.writeAttribute(QStringLiteral("name"), QStringLiteral("_xlnm.Print_Titles"));
        x.writeAttribute(QStringLiteral("localSheetId"), QString::number(i));
        x.writeCharacters(ranges.join(u','));
        x.writeEndElement();
    }
    if (namesOpen)
        x.writeEndElement();
    x.writeEndElement();
    return p.finish();
}

QByteArray workbookRelationships(const std::vector<int>& sheetParts)
{
    std::vector<std::pair<QString, QString>> rels;
    for (int part : sheetParts)
        rels.emplace_back(QStringLiteral("worksheet"), QStringLiteral("worksheets/sheet%1.xml").arg(part));
    rels.emplace_back(QStringLiteral("styles"), QStringLiteral("styles.xml"));
    rels.emplace_back(QStringLiteral("sharedStrings"), QStringLiteral("sharedStrings.xml"));
    return relationships(rels);
}

QByteArray worksheet(const SheetModel& sheet, bool active, int drawingRel, int legacyDrawingRel,
                     SharedStrings& strings, StyleTable& styles)
{
    Part p;
    auto& x = p.xml;
    x.writeStartElement(QStringLiteral("worksheet"));
    x.writeDefaultNamespace(kNsMain);
    x.writeNamespace(kNsRel, QStringLiteral("r"));

    if (!sheet.cells.empty())
        writeDimension(x, sheet);
    writeSheetView(x, sheet, active);

    x.writeEmptyElement(QStringLiteral("sheetFormatPr"));
    x.writeAttribute(QStringLiteral("defaultRowHeight"), QStringLiteral("15"));

    if (!sheet.columnWidths.empty())
        writeColumns(x, sheet);
    writeSheetData(x, sheet, strings, styles);

    x.writeEmptyElement(QStringLiteral("pageMargins"));
    x.writeAttribute(QStringLiteral("left"), QStringLiteral("0.7"));
    x.writeAttribute(QStringLiteral("right"), QStringLiteral("0.7"));
    x.writeAttribute(QStringLiteral("top"), QStringLiteral("0.75"));
    x.writeAttribute(QStringLiteral("bottom"), QStringLiteral("0.75"));
    x.writeAttribute(QStringLiteral("header"), QStringLiteral("0.3"));
    x.writeAttribute(QStringLiteral("footer"), QStringLiteral("0.3"));

    if (drawingRel) {
        x.writeEmptyElement(QStringLiteral("drawing"));
        x.writeAttribute(kNsRel, QStringLiteral("id"), QStringLiteral("rId%1").arg(drawingRel));
    }
    if (legacyDrawingRel) {
        x.writeEmptyElement(QStringLiteral("legacyDrawing"));
        x.writeAttribute(kNsRel, QStringLiteral("id"), QStringLiteral("rId%1").arg(legacyDrawingRel));
    }
    x.writeEndElement();
    return p.finish();
}

QByteArray sharedStrings(const SharedStrings& strings)
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

QByteArray drawingRelationships(const std::vector<int>& media)
{
    std::vector<std::pair<QString, QString>> rels;
    for (int m : media)
        rels.emplace_back(QStringLiteral("image"), QStringLiteral("../media/image%1.wmf").arg(m));
    return relationships(rels);
}

bool hasNotes(const SheetModel& sheet)
{
    for (const auto& [cell, content] : sheet.cells)
        if (!content.note.isEmpty())
            return true;
    return false;
}

std::vector<std::pair<QString, QByteArray>> sheetParts(const SheetModel& sheet, bool active, const SheetNumbers& n,
                                                       SharedStrings& strings, StyleTable& styles)
{
    std::vector<std::pair<QString, QString>> rels;
    if (n.drawing)
        rels.emplace_back(QStringLiteral("drawing"), QStringLiteral("../drawings/drawing%1.xml").arg(n.drawing));
    int legacyRel = 0;
    if (n.comments) {
        rels.emplace_back(QStringLiteral("comments"), QStringLiteral("../comments%1.xml").arg(n.comments));
        rels.emplace_back(QStringLiteral("vmlDrawing"), QStringLiteral("../drawings/vmlDrawing%1.vml").arg(n.comments));
        legacyRel = int(rels.size());
    }
    std::vector<std::pair<QString, QByteArray>> out;
    out.emplace_back(QStringLiteral("xl/worksheets/sheet%1.xml").arg(n.sheet),
                     worksheet(sheet, active, n.drawing ? 1 : 0, legacyRel, strings, styles));
    if (rels.empty())
        return out;
    out.emplace_back(QStringLiteral("xl/worksheets/_rels/sheet%1.xml.rels").arg(n.sheet), relationships(rels));
    if (n.drawing) {
        out.emplace_back(QStringLiteral("xl/drawings/drawing%1.xml").arg(n.drawing), drawingXml(sheet));
        out.emplace_back(QStringLiteral("xl/drawings/_rels/drawing%1.xml.rels").arg(n.drawing),
                         drawingRelationships(n.media));
    }
    if (n.comments) {
        out.emplace_back(QStringLiteral("xl/comments%1.xml").arg(n.comments), commentsXml(sheet));
        out.emplace_back(QStringLiteral("xl/drawings/vmlDrawing%1.vml").arg(n.comments), commentsVml(sheet, n.comments));
    }
    return out;
}

SheetNumbers PartNumbering::number(const SheetModel& sheet)
{
    SheetNumbers n;
    n.sheet = int(m_inventory.sheetParts.size()) + 1;
    n.drawing = sheet.shapes.empty() ? 0 : ++m_drawings;
    for (const auto& shape : sheet.shapes)
        if (shape->kind == ShapeModel::Kind::Picture)
            n.media.push_back(++m_media);
    n.comments = hasNotes(sheet) ? ++m_comments : 0;

    m_inventory.sheetParts.push_back(n.sheet);
    if (n.drawing)
        m_inventory.drawingParts.push_back(n.drawing);
    m_inventory.media = m_inventory.media || !n.media.empty();
    if (n.comments)
        m_inventory.commentParts.push_back(n.comments);
    return n;
}

} // namespace excel::parts
