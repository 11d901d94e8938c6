#pragma once

// The spreadsheet surface: the members of the spreadsheet application the
// export relies on, as C++ interfaces. Each member stands for one automation
// call (the COM property path is named where it is longer than the member), so
// a COM backend can implement them one member to one call; the workbook
// backend (XlsxApplication) builds the workbook in memory instead. Every
// member may throw ExcelError. Lengths are in points; rows and columns are
// 1-based, as in the spreadsheet.

#include "ExcelError.h"

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <memory>
#include <vector>

namespace excel {

/// Values of the automation interface the export passes.
namespace xl {
constexpr qint32 kWindowMinimized = -4140;
constexpr qint32 kWindowNormal = -4143;
constexpr qint32 kLineContinuous = 1;
constexpr qint32 kLineAutomatic = -4105;
constexpr qint32 kLineNone = -4142;
constexpr qint32 kWeightThin = 2;
constexpr qint32 kColorIndexAutomatic = -4105;
constexpr qint32 kAlignCenter = -4108;
constexpr qint32 kAlignLeft = -4131;
constexpr qint32 kOrientationHorizontal = 1;
/// Placement: move and size with cells, move but do not size, free floating.
constexpr qint32 kMoveAndSize = 1;
constexpr qint32 kMove = 2;
constexpr qint32 kFreeFloating = 3;
} // namespace xl

/// A two-dimensional table of values: rows 0..U1, every row with columns 0..U2.
/// A value is empty, a number (integer or real) or a text.
using Table = std::vector<std::vector<QVariant>>;

/// `Range.Borders`: every edge of every cell of the range.
class Borders {
public:
    virtual ~Borders() = default;
    virtual void setLineStyle(qint32 lineStyle) = 0;
    virtual void setWeight(qint32 weight) = 0;
    virtual void setColorIndex(qint32 colorIndex) = 0;
};
using BordersPtr = std::shared_ptr<Borders>;

class Range {
public:
    virtual ~Range() = default;
    /// `Value` set with a whole table at once; the table must have the range's
    /// shape.
    virtual void setValue(const Table& table) = 0;
    virtual BordersPtr borders() = 0;
    /// `Interior.Color`: the background of every cell of the range (RGB packed
    /// as in Border::setColor).
    virtual void setInteriorColor(qint32 rgb) = 0;
    /// `Font.Color`, `Font.Italic`, `Font.Bold` of every cell of the range.
    virtual void setFontColor(qint32 rgb) = 0;
    virtual void setFontItalic(bool italic) = 0;
    virtual void setFontBold(bool bold) = 0;
    /// `AddComment(text)` on a range of one cell: the cell's note. A cell that
    /// has a note already refuses another, as the spreadsheet does.
    virtual void addComment(const QString& text) = 0;
};
using RangePtr = std::shared_ptr<Range>;

/// `Picture.Border`: the outline of a picture.
class Border {
public:
    virtual ~Border() = default;
    virtual void setLineStyle(qint32 lineStyle) = 0;
    virtual void setWeight(double points) = 0;
    /// An RGB colour as the automation interface packs it: red + green*256 + blue*65536.
    virtual void setColor(qint32 rgb) = 0;
};
using BorderPtr = std::shared_ptr<Border>;

class Picture {
public:
    virtual ~Picture() = default;
    virtual double width() = 0;
    virtual void setWidth(double points) = 0;
    virtual double height() = 0;
    virtual void setHeight(double points) = 0;
    virtual double top() = 0;
    virtual void setTop(double points) = 0;
    virtual double left() = 0;
    virtual void setLeft(double points) = 0;
    virtual BorderPtr border() = 0;
};
using PicturePtr = std::shared_ptr<Picture>;

class Pictures {
public:
    virtual ~Pictures() = default;
    /// `Pictures.Insert`: the picture file at `path` at its natural size.
    virtual PicturePtr insert(const QString& path) = 0;
};
using PicturesPtr = std::shared_ptr<Pictures>;

/// A text box shape.
class TextBox {
public:
    virtual ~TextBox() = default;
    /// `TextFrame.Characters.Text`; a line feed (code 10) starts a new line.
    virtual void setText(const QString& text) = 0;
    /// `TextFrame.HorizontalAlignment`.
    virtual void setHorizontalAlignment(qint32 alignment) = 0;
    /// `TextFrame.Characters.Font.Size`.
    virtual void setFontSize(double points) = 0;
    /// `Placement`: xl::kMoveAndSize, xl::kMove or xl::kFreeFloating.
    virtual void setPlacement(qint32 placement) = 0;
};
using TextBoxPtr = std::shared_ptr<TextBox>;

class Shapes {
public:
    virtual ~Shapes() = default;
    /// `Shapes.AddTextbox(orientation, left, top, width, height)`.
    virtual TextBoxPtr addTextbox(qint32 orientation, double left, double top,
                                  double width, double height) = 0;
};
using ShapesPtr = std::shared_ptr<Shapes>;

class Worksheet {
public:
    virtual ~Worksheet() = default;
    virtual QString name() = 0;
    /// Throws ExcelError (error::kRefused) for a name the spreadsheet does not
    /// accept: empty, longer than 31 characters, with one of []:*?/\, starting
    /// or ending with an apostrophe, or already used by another sheet.
    virtual void setName(const QString& name) = 0;
    /// `Delete`; the last sheet of a workbook cannot be deleted.
    virtual void erase() = 0;
    virtual void activate() = 0;
    /// `Range(Cells(row1, column1), Cells(row2, column2))`.
    virtual RangePtr range(qint32 row1, qint32 column1, qint32 row2, qint32 column2) = 0;
    /// `Cells.EntireColumn.AutoFit`: every used column as wide as its widest text.
    virtual void autoFitColumns() = 0;
    virtual PicturesPtr pictures() = 0;
    virtual ShapesPtr shapes() = 0;
    /// `ActiveWindow.SplitRow`, `SplitColumn` and `FreezePanes` with this sheet
    /// active: the first `rows` rows and `columns` columns stay in view.
    virtual void freezePanes(qint32 rows, qint32 columns) = 0;
    /// `PageSetup.PrintTitleRows` and `PrintTitleColumns` ("$1:$1", "$A:$A";
    /// empty for none): repeated on every printed page.
    virtual void setPrintTitles(const QString& rows, const QString& columns) = 0;
};
using WorksheetPtr = std::shared_ptr<Worksheet>;

class Worksheets {
public:
    virtual ~Worksheets() = default;
    virtual qint32 count() = 0;
    /// `Worksheets(index)`, 1-based.
    virtual WorksheetPtr item(qint32 index) = 0;
    /// `Worksheets.Add(after:=sheet)`: a new sheet right after `after`.
    virtual WorksheetPtr addAfter(const WorksheetPtr& after) = 0;
};
using WorksheetsPtr = std::shared_ptr<Worksheets>;

class Workbook {
public:
    virtual ~Workbook() = default;
    virtual WorksheetsPtr worksheets() = 0;
};
using WorkbookPtr = std::shared_ptr<Workbook>;

class Workbooks {
public:
    virtual ~Workbooks() = default;
    virtual qint32 count() = 0;
    /// `Workbooks.Add`: a new workbook with the application's usual sheets.
    virtual WorkbookPtr add() = 0;
};
using WorkbooksPtr = std::shared_ptr<Workbooks>;

class Application {
public:
    virtual ~Application() = default;
    virtual bool visible() = 0;
    virtual void setVisible(bool visible) = 0;
    virtual qint32 windowState() = 0;
    virtual void setWindowState(qint32 state) = 0;
    /// Title of the application's main window.
    virtual QString caption() = 0;
    virtual WorkbooksPtr workbooks() = 0;
    virtual bool screenUpdating() = 0;
    virtual void setScreenUpdating(bool on) = 0;
    virtual double centimetersToPoints(double centimetres) = 0;
};
using ApplicationPtr = std::shared_ptr<Application>;

/// How the export reaches a spreadsheet application: the running one, or a new
/// one, and what happens when the export lets go of it.
class ExcelConnector {
public:
    virtual ~ExcelConnector() = default;
    /// Asked before anything is made: where the workbook will go. False when
    /// the user cancels, which ends the export with nothing made. A backend
    /// whose workbooks stay open in the spreadsheet has nothing to ask.
    virtual bool chooseDestination() { return true; }
    /// The running application; throws ExcelError when none runs.
    virtual ApplicationPtr attachRunning() = 0;
    /// A new application; throws ExcelError when none can be started.
    virtual ApplicationPtr startNew() = 0;
    /// The caller keeps no reference to `application` after this. A COM
    /// backend just releases it (the workbooks stay open in the spreadsheet);
    /// the workbook backend hands its workbooks to the user here.
    virtual void release(const ApplicationPtr& application) = 0;
};

} // namespace excel
