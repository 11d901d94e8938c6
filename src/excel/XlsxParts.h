#pragma once

// The XML parts of an .xlsx package, one function a part. The package
// writers (XlsxPackageWriter for a workbook at once, XlsxPackageStream for
// one written sheet by sheet) number the parts and put them together; what a
// workbook does not use (frozen panes, notes, print titles, cell looks) adds
// nothing to its parts.

#include "WorkbookModel.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace excel::parts {

/// Texts of the cells of every sheet, each once, in order of first use.
struct SharedStrings {
    QStringList texts;
    QHash<QString, int> index;
    int uses = 0;
    int add(const QString& text);
};

/// The cell formats the sheets use: 0 the plain cell, 1 thin borders in the
/// automatic colour, then one for each other look, in order of first use.
class StyleTable {
public:
    int styleOf(const CellModel& cell);
    QByteArray xml() const;

private:
    struct Format {
        bool borders = false;
        CellLook look;
    };
    std::vector<Format> m_formats{{false, {}}, {true, {}}};
};

/// What the content types name besides the workbook, styles and shared strings.
struct Inventory {
    /// Worksheet part numbers (sheetN.xml) and drawing part numbers.
    std::vector<int> sheetParts;
    std::vector<int> drawingParts;
    bool media = false;
    /// Numbers of the comments parts (commentsN.xml, with vmlDrawingN.vml).
    std::vector<int> commentParts;
};
QByteArray contentTypes(const Inventory& inventory);

/// A relationships part; each entry is (type suffix, target), numbered rId1, rId2, ...
QByteArray relationships(const std::vector<std::pair<QString, QString>>& rels);
QByteArray rootRelationships();

/// A sheet as the workbook lists it, in tab order; print titles as written
/// on the sheet ("$1:$1", "$A:$A"), empty for none.
struct SheetEntry {
    QString name;
    QString printTitleRows;
    QString printTitleColumns;
};
/// The workbook: sheets in tab order, the n-th being relationship rIdn.
QByteArray workbook(const std::vector<SheetEntry>& sheets, std::size_t activeSheet);
/// The workbook's relationships: the n-th sheet of the tab order to its part
/// number, then styles and shared strings.
QByteArray workbookRelationships(const std::vector<int>& sheetParts);

/// A worksheet. `drawingRel` and `legacyDrawingRel` are the relationship ids
/// (rIdN) of its drawing and its notes' shapes, 0 for none.
QByteArray worksheet(const SheetModel& sheet, bool active, int drawingRel, int legacyDrawingRel,
                     SharedStrings& strings, StyleTable& styles);
QByteArray sharedStrings(const SharedStrings& strings);
/// A drawing's relationships: its pictures, the media files numbered `media`.
QByteArray drawingRelationships(const std::vector<int>& media);

/// True when some cell of the sheet has a note.
bool hasNotes(const SheetModel& sheet);

/// The part numbers of one sheet: its worksheet, its drawing (0: none), the
/// media of its pictures in shape order, and its notes (0: none).
struct SheetNumbers {
    int sheet = 0;
    int drawing = 0;
    std::vector<int> media;
    int comments = 0;
};
/// Every part of one sheet but its media, as (entry name, bytes): the
/// worksheet, its relationships, its drawing and the drawing's relationships,
/// its notes and their legacy drawing.
std::vector<std::pair<QString, QByteArray>> sheetParts(const SheetModel& sheet, bool active, const SheetNumbers& numbers,
                                                       SharedStrings& strings, StyleTable& styles);

/// Numbers the parts of sheets in the order they are written (drawings,
/// media and notes only where a sheet has them) and keeps what the content
/// types must name.
class PartNumbering {
public:
    SheetNumbers number(const SheetModel& sheet);
    const Inventory& inventory() const { return m_inventory; }

private:
    Inventory m_inventory;
    int m_drawings = 0, m_media = 0, m_comments = 0;
};

} // namespace excel::parts
