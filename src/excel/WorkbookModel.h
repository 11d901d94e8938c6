#pragma once

// The workbook as the workbook backend records it: plain data, filled by the
// surface members (XlsxApplication) and written as a package at the end
// (XlsxPackageWriter). Every value here has been checked where it entered.

#include "SheetName.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <map>
#include <optional>
#include <memory>
#include <utility>
#include <vector>

namespace excel {

/// Sheet limits of the file format.
constexpr qint32 kMaxRows = 1048576;
constexpr qint32 kMaxColumns = 16384;
/// The longest text a cell holds.
constexpr qint32 kMaxCellText = 32767;

/// How a cell looks beyond its borders; the default is the plain cell.
struct CellLook {
    /// Background fill, 0xRRGGBB; none when unset.
    std::optional<quint32> fillRgb;
    /// Font colour, 0xRRGGBB; the automatic colour when unset.
    std::optional<quint32> fontRgb;
    bool italic = false;
    bool bold = false;
    bool operator==(const CellLook&) const = default;
    bool isPlain() const { return *this == CellLook{}; }
};

struct CellModel {
    /// Empty, a number (double) or a text.
    QVariant value;
    /// Thin continuous borders in the automatic colour on every edge.
    bool thinBorders = false;
    CellLook look;
    /// The cell's note (comment); none when empty.
    QString note;
};

/// A picture or a text box on a sheet; lengths in points from the sheet's top left.
struct ShapeModel {
    enum class Kind { Picture, TextBox };
    Kind kind = Kind::Picture;
    double left = 0, top = 0, width = 0, height = 0;
    qint32 placement = 1;

    // Picture: the file's bytes as they are, and its outline.
    QString sourcePath;
    QByteArray pictureData;
    bool outlined = false;
    double outlineWeight = 0.75;
    /// 0xRRGGBB.
    quint32 outlineRgb = 0;

    // Text box.
    QString text;
    bool centred = false;
    double fontSize = 11;
};

struct SheetModel {
    QString name;
    bool deleted = false;
    /// Keyed by (row, column), 1-based.
    std::map<std::pair<qint32, qint32>, CellModel> cells;
    /// Stored widths of columns that have one, keyed by 1-based column.
    std::map<qint32, double> columnWidths;
    std::vector<std::shared_ptr<ShapeModel>> shapes;
    /// Rows above and columns left of the frozen panes (0: none frozen).
    qint32 frozenRows = 0;
    qint32 frozenColumns = 0;
    /// Rows and columns printed on every page ("$1:$1", "$A:$A"); empty: none.
    QString printTitleRows;
    QString printTitleColumns;
    /// Written out ahead of the workbook (XlsxPackageStream) and emptied; only
    /// the name stays, for the tab order and to keep names unique.
    int streamedPart = 0;
};
using SheetModelPtr = std::shared_ptr<SheetModel>;

struct WorkbookModel {
    /// In tab order.
    std::vector<SheetModelPtr> sheets;
    /// Index into `sheets` of the active sheet.
    std::size_t activeSheet = 0;
    /// The names of `sheets`, kept by the surface members that name, add
    /// and delete sheets, so a name is checked without reading them all.
    SheetNameSet sheetNames;
};
using WorkbookModelPtr = std::shared_ptr<WorkbookModel>;

} // namespace excel
