#include "XlsxPackageWriter.h"

#include "ExcelError.h"
#include "XlsxDrawingWriter.h"
#include "ZipBuilder.h"
#include "app/PlantedLink.h"

#include <QHash>
#include <QSaveFile>
#include <QStringList>
#include <QXmlStreamWriter>

#include <cmath>
#include <memory>

namespace excel {
namespace {

const QString kNsMain = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");
const QString kNsRel = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kNsPkgRel = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
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

QString number(double d)
{
    if (d == std::trunc(d) && std::fabs(d) < 1e15)
        return QString::number(qint64(d));
    return QString::number(d, 'g', 17);
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

QByteArray drawingRelsXml(const std::vector<int>& media)
{
    std::vector<std::pair<QString, QString>> rels;
    for (int m : media)
        rels.emplace_back(QStringLiteral("image"), QStringLiteral("../media/image%1.wmf").arg(m));
    return relationshipsXml(rels);
}

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
    // QSaveFile resolves a link itself and replaces its target, out of the
    // kernel's sight: another user's link in /tmp is refused here.
    if (const QString link = app::plantedLinkOnPath(path); !link.isEmpty())
        fail(app::plantedLinkMessage(path, link));
    const QByteArray bytes = xlsxPackage(book);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    // Flushed before the commit: a write that only filled the buffer
    // succeeds, and QSaveFile's commit does not see the failed flush of
    // its close (a full disk gave an empty workbook in place of the old).
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        const QString why = file.errorString();
        file.cancelWriting();
        fail(QStringLiteral("%1: %2").arg(path, why));
    }
}

} // namespace excel
