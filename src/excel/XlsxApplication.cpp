#include "XlsxApplication.h"

#include "SheetName.h"
#include "TextWidth.h"

#include "metafile/WmfPicture.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace excel {

namespace {

/// Pictures larger than this are refused rather than held in memory.
constexpr qint64 kMaxPictureBytes = 256LL * 1024 * 1024;
/// The largest length (points) a shape may have or be placed at.
constexpr double kMaxShapePoints = 1.0e7;

[[noreturn]] void refuse(const QString& why)
{
    throw ExcelError(error::kRefused, why);
}

double checkedLength(double points, const char* what, bool allowZero = true)
{
    if (!std::isfinite(points) || points < 0 || points > kMaxShapePoints || (!allowZero && points == 0))
        refuse(QStringLiteral("%1 out of range: %2").arg(QLatin1String(what)).arg(points));
    return points;
}

/// A cell value as the model keeps it: a finite number (as double), a text of
/// at most kMaxCellText characters, or empty.
QVariant checkedCellValue(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Double: case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d))
            refuse(QStringLiteral("a cell value that is not a finite number"));
        return d;
    }
    case QMetaType::QString: {
        const QString text = value.toString();
        if (text.size() > kMaxCellText)
            refuse(QStringLiteral("a cell text longer than %1 characters").arg(kMaxCellText));
        return text;
    }
    default:
        refuse(QStringLiteral("a cell value of type %1").arg(QLatin1String(value.typeName())));
    }
}

/// An RGB colour as the automation interface packs it (red in the low byte)
/// as the model keeps it, 0xRRGGBB; a value outside 24 bits is refused.
quint32 modelRgb(qint32 rgb, const char* what)
{
    if (rgb < 0 || rgb > 0xFFFFFF)
        refuse(QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(rgb));
    const quint32 v = quint32(rgb);
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

class XlsxBorders : public Borders {
public:
    XlsxBorders(SheetModelPtr sheet, qint32 r1, qint32 c1, qint32 r2, qint32 c2)
        : m_sheet(std::move(sheet)), m_r1(r1), m_c1(c1), m_r2(r2), m_c2(c2) {}

    // The model knows one border: thin, continuous, automatic colour. The
    // members record which of those the caller asked for and apply the border
    // once all three agree; anything else is refused.
    void setLineStyle(qint32 lineStyle) override
    {
        if (lineStyle != xl::kLineContinuous)
            refuse(QStringLiteral("border line style %1").arg(lineStyle));
        m_styleSet = true;
        apply();
    }
    void setWeight(qint32 weight) override
    {
        if (weight != xl::kWeightThin)
            refuse(QStringLiteral("border weight %1").arg(weight));
        apply();
    }
    void setColorIndex(qint32 colorIndex) override
    {
        if (colorIndex != xl::kColorIndexAutomatic)
            refuse(QStringLiteral("border colour index %1").arg(colorIndex));
        apply();
    }

private:
    void apply()
    {
        if (m_sheet->deleted)
            throw ExcelError(error::kObjectGone, QStringLiteral("the worksheet has been deleted"));
        if (!m_styleSet)
            return;
        for (qint32 r = m_r1; r <= m_r2; ++r)
            for (qint32 c = m_c1; c <= m_c2; ++c)
                m_sheet->cells[{r, c}].thinBorders = true;
    }

    SheetModelPtr m_sheet;
    qint32 m_r1, m_c1, m_r2, m_c2;
    bool m_styleSet = false;
};

class XlsxRange : public Range {
public:
    XlsxRange(SheetModelPtr sheet, qint32 r1, qint32 c1, qint32 r2, qint32 c2)
        : m_sheet(std::move(sheet)), m_r1(r1), m_c1(c1), m_r2(r2), m_c2(c2) {}

    void setValue(const Table& table) override
    {
        if (m_sheet->deleted)
            throw ExcelError(error::kObjectGone, QStringLiteral("the worksheet has been deleted"));
        const std::size_t rows = std::size_t(m_r2 - m_r1 + 1);
        const std::size_t columns = std::size_t(m_c2 - m_c1 + 1);
        if (table.size() != rows)
            refuse(QStringLiteral("a table of %1 rows for a range of %2").arg(table.size()).arg(rows));
        // Check everything first, so a refused table leaves the sheet as it was.
        std::vector<std::vector<QVariant>> values(rows);
        for (std::size_t r = 0; r < rows; ++r) {
            if (table[r].size() != columns)
                refuse(QStringLiteral("table row %1 has %2 columns for a range of %3")
                           .arg(r).arg(table[r].size()).arg(columns));
            for (const QVariant& v : table[r])
                values[r].push_back(checkedCellValue(v));
        }
        // An empty value clears a cell that is there and makes none that is
        // not: a large, sparse table costs only its filled cells.
        for (std::size_t r = 0; r < rows; ++r) {
            for (std::size_t c = 0; c < columns; ++c) {
                const std::pair<qint32, qint32> at{m_r1 + qint32(r), m_c1 + qint32(c)};
                if (values[r][c].isValid())
                    m_sheet->cells[at].value = values[r][c];
                else if (const auto it = m_sheet->cells.find(at); it != m_sheet->cells.end())
                    it->second.value = QVariant();
            }
        }
    }

    BordersPtr borders() override
    {
        return std::make_shared<XlsxBorders>(m_sheet, m_r1, m_c1, m_r2, m_c2);
    }

    void setInteriorColor(qint32 rgb) override
    {
        const quint32 fill = modelRgb(rgb, "interior colour");
        forEachCell([fill](CellModel& c) { c.look.fillRgb = fill; });
    }
    void setFontColor(qint32 rgb) override
    {
        const quint32 font = modelRgb(rgb, "font colour");
        forEachCell([font](CellModel& c) { c.look.fontRgb = font; });
    }
    void setFontItalic(bool italic) override
    {
        forEachCell([italic](CellModel& c) { c.look.italic = italic; });
    }
    void setFontBold(bool bold) override
    {
        forEachCell([bold](CellModel& c) { c.look.bold = bold; });
    }

    void addComment(const QString& text) override
    {
        if (m_r1 != m_r2 || m_c1 != m_c2)
            refuse(QStringLiteral("a comment on a range of several cells"));
        if (text.isEmpty() || text.size() > kMaxCellText)
            refuse(QStringLiteral("a comment of %1 characters").arg(text.size()));
        CellModel& cell = live()->cells[{m_r1, m_c1}];
        if (!cell.note.isEmpty())
            refuse(QStringLiteral("the cell has a comment already"));
        cell.note = text;
    }

private:
    const SheetModelPtr& live()
    {
        if (m_sheet->deleted)
            throw ExcelError(error::kObjectGone, QStringLiteral("the worksheet has been deleted"));
        return m_sheet;
    }
    template <typename F>
    void forEachCell(F apply)
    {
        live();
        for (qint32 r = m_r1; r <= m_r2; ++r)
            for (qint32 c = m_c1; c <= m_c2; ++c)
                apply(m_sheet->cells[{r, c}]);
    }

    SheetModelPtr m_sheet;
    qint32 m_r1, m_c1, m_r2, m_c2;
};

class XlsxBorder : public Border {
public:
    explicit XlsxBorder(std::shared_ptr<ShapeModel> shape) : m_shape(std::move(shape)) {}
    void setLineStyle(qint32 lineStyle) override
    {
        if (lineStyle == xl::kLineNone)
            m_shape->outlined = false;
        else if (lineStyle == xl::kLineAutomatic || lineStyle == xl::kLineContinuous)
            m_shape->outlined = true;
        else
            refuse(QStringLiteral("outline line style %1").arg(lineStyle));
    }
    void setWeight(double points) override
    {
        if (!std::isfinite(points) || points < 0 || points > 1584)
            refuse(QStringLiteral("outline weight %1").arg(points));
        m_shape->outlineWeight = points;
    }
    void setColor(qint32 rgb) override { m_shape->outlineRgb = modelRgb(rgb, "outline colour"); }

private:
    std::shared_ptr<ShapeModel> m_shape;
};

class XlsxPicture : public Picture {
public:
    XlsxPicture(SheetModelPtr sheet, std::shared_ptr<ShapeModel> shape)
        : m_sheet(std::move(sheet)), m_shape(std::move(shape)) {}
    double width() override { return live()->width; }
    void setWidth(double points) override { live()->width = checkedLength(points, "picture width"); }
    double height() override { return live()->height; }
    void setHeight(double points) override { live()->height = checkedLength(points, "picture height"); }
    double top() override { return live()->top; }
    void setTop(double points) override { live()->top = checkedLength(points, "picture top"); }
    double left() override { return live()->left; }
    void setLeft(double points) override { live()->left = checkedLength(points, "picture left"); }
    BorderPtr border() override { return std::make_shared<XlsxBorder>(live()); }

private:
    const std::shared_ptr<ShapeModel>& live()
    {
        if (m_sheet->deleted)
            throw ExcelError(error::kObjectGone, QStringLiteral("the worksheet has been deleted"));
        return m_shape;
    }
    SheetModelPtr m_sheet;
    std::shared_ptr<ShapeModel> m_shape;
};

/// The natural size in points of a WMF picture, from its placeable header or,
/// for a plain metafile, from its window extent; zero when it has none.
QSizeF naturalSizePoints(const QByteArray& data)
{
    std::optional<QSizeF> twips = metafile::placeableSizeTwips(data);
    if (!twips) {
        metafile::WmfPicture picture;
        if (picture.loadData(data))
            twips = picture.sizeTwips();
    }
    if (!twips)
        return {};
    return QSizeF(twips->width() / 20.0, twips->height() / 20.0);
}

class XlsxPictures : public Pictures {
public:
    explicit XlsxPictures(SheetModelPtr sheet) : m_sheet(std::move(sheet)) {}

    PicturePtr insert(const QString& path) override
    {
        if (m_sheet->deleted)
            throw ExcelError(error::kObjectGone, QStringLiteral("the worksheet has been deleted"));
        QFile file(path);
        if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
            refuse(QStringLiteral("cannot open the picture file %1").arg(path));
        if (file.size() > kMaxPictureBytes)
            refuse(QStringLiteral("the picture file %1 is too large").arg(path));
        const QByteArray data = file.readAll();
        const QSizeF size = naturalSizePoints(data);
        if (!(size.width() > 0 && size.height() > 0 && size.width() <= kMaxShapePoints
              && size.height() <= kMaxShapePoints))
            refuse(QStringLiteral("%1 is not a metafile with a size").arg(path));

        auto shape = std::make_shared<ShapeModel>();
        shape->kind = ShapeModel::Kind::Picture;
        shape->sourcePath = QFileInfo(path).absoluteFilePath();
        shape->pictureData = data;
        shape->width = size.width();
        shape->height = size.height();
        m_sheet->shapes.push_back(shape);
        return std::make_shared<XlsxPicture>(m_sheet, shape);
    }

private:
    SheetModelPtr m_sheet;
};

class XlsxTextBox : public TextBox {
public:
    XlsxTextBox(SheetModelPtr sheet, std::shared_ptr<ShapeModel> shape)
        : m_sheet(std::move(sheet)), m_shape(std::move(shape)) {}
    void setText(const QString& text) override
    {
        if (text.size() > kMaxCellText)
            refuse(QStringLiteral("a text box text longer than %1 characters").arg(kMaxCellText));
        live()->text = text;
    }
    void setHorizontalAlignment(qint32 alignment) override
    {
        if (alignment != xl::kAlignCenter && alignment != xl::kAlignLeft)
            refuse(QStringLiteral("horizontal alignment %1").arg(alignment));
        live()->centred = alignment == xl::kAlignCenter;
    }
    void setFontSize(double points) override
    {
        if (!std::isfinite(points) || points < 1 || points > 409)
            refuse(QStringLiteral("font size %1").arg(points));
        live()->fontSize = points;
    }
    void setPlacement(qint32 placement) override
    {
        if (placement != xl::kMoveAndSize && placement != xl::kMove && placement != xl::kFreeFloating)
            refuse(QStringLiteral("placement %1").arg(placement));
        live()->placement = placement;
    }

private:
    const std::shared_ptr<ShapeModel>& live()
    {
        if (m_sheet->deleted)
            throw ExcelError(error::kObjectGone, QStringLiteral("the worksheet has been deleted"));
        return m_shape;
    }
    SheetModelPtr m_sheet;
    std::shared_ptr<ShapeModel> m_shape;
};

class XlsxShapes : public Shapes {
public:
    explicit XlsxShapes(SheetModelPtr sheet) : m_sheet(std::move(sheet)) {}
    TextBoxPtr addTextbox(qint32 orientation, double left, double top, double width,
                          double height) override
    {
        if (m_sheet->deleted)
            throw ExcelError(error::kObjectGone, QStringLiteral("the worksheet has been deleted"));
        if (orientation != xl::kOrientationHorizontal)
            refuse(QStringLiteral("text orientation %1").arg(orientation));
        auto shape = std::make_shared<ShapeModel>();
        shape->kind = ShapeModel::Kind::TextBox;
        shape->left = checkedLength(left, "text box left");
        shape->top = checkedLength(top, "text box top");
        shape->width = checkedLength(width, "text box width");
        shape->height = checkedLength(height, "text box height");
        shape->placement = xl::kMoveAndSize;
        m_sheet->shapes.push_back(shape);
        return std::make_shared<XlsxTextBox>(m_sheet, shape);
    }

private:
    SheetModelPtr m_sheet;
};

class XlsxWorksheet : public Worksheet {
public:
    XlsxWorksheet(WorkbookModelPtr book, SheetModelPtr sheet)
        : m_book(std::move(book)), m_sheet(std::move(sheet)) {}

    const SheetModelPtr& model() const { return m_sheet; }

    QString name() override { return live()->name; }

    void setName(const QString& name) override
    {
        live();
        const QString problem = sheetNameProblem(name);
        if (!problem.isEmpty())
            refuse(problem + QStringLiteral(": ") + name);
        // Its own name in other letter case is no clash.
        const bool renamed = QString::compare(name, m_sheet->name, Qt::CaseInsensitive) != 0;
        if (renamed && m_book->sheetNames.contains(name))
            refuse(QStringLiteral("a sheet named %1 already exists").arg(name));
        m_book->sheetNames.remove(m_sheet->name);
        m_book->sheetNames.add(name);
        m_sheet->name = name;
    }

    void erase() override
    {
        live();
        if (m_book->sheets.size() <= 1)
            refuse(QStringLiteral("a workbook must keep at least one sheet"));
        auto& sheets = m_book->sheets;
        const auto it = std::find(sheets.begin(), sheets.end(), m_sheet);
        const std::size_t index = std::size_t(it - sheets.begin());
        sheets.erase(it);
        m_book->sheetNames.remove(m_sheet->name);
        m_sheet->deleted = true;
        if (m_book->activeSheet > index || m_book->activeSheet >= sheets.size())
            m_book->activeSheet = m_book->activeSheet == 0 ? 0 : m_book->activeSheet - 1;
    }

    void activate() override
    {
        live();
        const auto it = std::find(m_book->sheets.begin(), m_book->sheets.end(), m_sheet);
        m_book->activeSheet = std::size_t(it - m_book->sheets.begin());
    }

    RangePtr range(qint32 row1, qint32 column1, qint32 row2, qint32 column2) override
    {
        live();
        auto checkCell = [](qint32 row, qint32 column) {
            if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns)
                refuse(QStringLiteral("cell (%1, %2) outside the sheet").arg(row).arg(column));
        };
        checkCell(row1, column1);
        checkCell(row2, column2);
        return std::make_shared<XlsxRange>(m_sheet, std::min(row1, row2), std::min(column1, column2),
                                           std::max(row1, row2), std::max(column1, column2));
    }

    void autoFitColumns() override
    {
        live();
        std::map<qint32, int> widest;
        for (const auto& [cell, content] : m_sheet->cells) {
            const int units = textWidthUnits(displayText(content.value));
            int& w = widest[cell.second];
            w = std::max(w, units);
        }
        for (const auto& [column, units] : widest) {
            if (units > 0)
                m_sheet->columnWidths[column] = columnWidthForUnits(std::min(units, 255));
            else
                m_sheet->columnWidths.erase(column);
        }
    }

    PicturesPtr pictures() override { return std::make_shared<XlsxPictures>(live()); }
    ShapesPtr shapes() override { return std::make_shared<XlsxShapes>(live()); }

    void freezePanes(qint32 rows, qint32 columns) override
    {
        live();
        if (rows < 0 || rows >= kMaxRows || columns < 0 || columns >= kMaxColumns)
            refuse(QStringLiteral("frozen panes at (%1, %2)").arg(rows).arg(columns));
        m_sheet->frozenRows = rows;
        m_sheet->frozenColumns = columns;
    }

    void setPrintTitles(const QString& rows, const QString& columns) override
    {
        live();
        static const QRegularExpression rowsForm(QStringLiteral("^\\$[1-9][0-9]{0,6}:\\$[1-9][0-9]{0,6}$"));
        static const QRegularExpression columnsForm(QStringLiteral("^\\$[A-Z]{1,3}:\\$[A-Z]{1,3}$"));
        if (!(rows.isEmpty() || rowsForm.match(rows).hasMatch()))
            refuse(QStringLiteral("print title rows %1").arg(rows));
        if (!(columns.isEmpty() || columnsForm.match(columns).hasMatch()))
            refuse(QStringLiteral("print title columns %1").arg(columns));
        m_sheet->printTitleRows = rows;
        m_sheet->printTitleColumns = columns;
    }

private:
    const SheetModelPtr& live()
    {
        if (m_sheet->deleted)
            throw ExcelError(error::kObjectGone, QStringLiteral("the worksheet has been deleted"));
        return m_sheet;
    }
    WorkbookModelPtr m_book;
    SheetModelPtr m_sheet;
};

/// Adds a sheet at `position` of `book` under the lowest "SheetN" no sheet uses.
SheetModelPtr insertDefaultSheet(WorkbookModel& book, std::vector<SheetModelPtr>::const_iterator position)
{
    auto sheet = std::make_shared<SheetModel>();
    for (int n = 1; sheet->name.isEmpty() || book.sheetNames.contains(sheet->name); ++n)
        sheet->name = QStringLiteral("Sheet%1").arg(n);
    book.sheetNames.add(sheet->name);
    book.sheets.insert(position, sheet);
    return sheet;
}

class XlsxWorksheets : public Worksheets {
public:
    explicit XlsxWorksheets(WorkbookModelPtr book) : m_book(std::move(book)) {}

    qint32 count() override { return qint32(m_book->sheets.size()); }

    WorksheetPtr item(qint32 index) override
    {
        if (index < 1 || index > count())
            throw ExcelError(error::kBadIndex, QStringLiteral("no worksheet %1").arg(index));
        return std::make_shared<XlsxWorksheet>(m_book, m_book->sheets[std::size_t(index - 1)]);
    }

    WorksheetPtr addAfter(const WorksheetPtr& after) override
    {
        auto* afterSheet = dynamic_cast<XlsxWorksheet*>(after.get());
        if (!afterSheet)
            refuse(QStringLiteral("the sheet to add after belongs to another application"));
        auto& sheets = m_book->sheets;
        // Most sheets are added after the last one: found without a search.
        const auto it = !sheets.empty() && sheets.back() == afterSheet->model()
                            ? sheets.end() - 1
                            : std::find(sheets.begin(), sheets.end(), afterSheet->model());
        if (it == sheets.end())
            refuse(QStringLiteral("the sheet to add after is not in this workbook"));
        const std::size_t index = std::size_t(it - sheets.begin()) + 1;
        auto sheet = insertDefaultSheet(*m_book, it + 1);
        // A new sheet becomes the active one, as in the spreadsheet.
        m_book->activeSheet = index;
        return std::make_shared<XlsxWorksheet>(m_book, sheet);
    }

private:
    WorkbookModelPtr m_book;
};

class XlsxWorkbook : public Workbook {
public:
    explicit XlsxWorkbook(WorkbookModelPtr book) : m_book(std::move(book)) {}
    WorksheetsPtr worksheets() override { return std::make_shared<XlsxWorksheets>(m_book); }

private:
    WorkbookModelPtr m_book;
};

class XlsxWorkbooks : public Workbooks {
public:
    explicit XlsxWorkbooks(std::shared_ptr<std::vector<WorkbookModelPtr>> books) : m_books(std::move(books)) {}
    qint32 count() override { return qint32(m_books->size()); }
    WorkbookPtr add() override
    {
        auto book = std::make_shared<WorkbookModel>();
        for (int i = 0; i < 3; ++i)
            insertDefaultSheet(*book, book->sheets.end());
        m_books->push_back(book);
        return std::make_shared<XlsxWorkbook>(book);
    }

private:
    std::shared_ptr<std::vector<WorkbookModelPtr>> m_books;
};

} // namespace

XlsxApplication::XlsxApplication() : m_workbooks(std::make_shared<std::vector<WorkbookModelPtr>>()) {}

void XlsxApplication::setWindowState(qint32 state)
{
    if (state != xl::kWindowNormal && state != xl::kWindowMinimized && state != -4137 /* maximised */)
        refuse(QStringLiteral("window state %1").arg(state));
    m_windowState = state;
}

QString XlsxApplication::caption()
{
    return QStringLiteral("Kasanemi Workbook - Book%1").arg(std::max<std::size_t>(m_workbooks->size(), 1));
}

WorkbooksPtr XlsxApplication::workbooks()
{
    return std::make_shared<XlsxWorkbooks>(m_workbooks);
}

double XlsxApplication::centimetersToPoints(double centimetres)
{
    if (!std::isfinite(centimetres))
        refuse(QStringLiteral("centimetres %1").arg(centimetres));
    return centimetres * 72.0 / 2.54;
}

} // namespace excel
