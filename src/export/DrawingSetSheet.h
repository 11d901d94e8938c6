#pragma once

// The first sheet of a drawing set's workbook, 「図面一覧」: which layers the
// drawings of the set use, where, with how many objects, and which of them
// no pattern of the layer standard allows.

#include "excel/ExcelSurface.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace exportexcel {

/// One layer of one drawing.
struct SetLayer {
    QString name;
    qint64 objects = 0;
    /// False for a name only the drawing's objects use (no layer table entry):
    /// its state is unknown.
    bool inTable = true;
    bool on = true, frozen = false, locked = false;
};

/// One drawing of the set, as read (or why it could not be).
struct SetDrawing {
    QString fileName;
    bool read = false;
    /// Why the drawing was skipped, or what its reading warned about.
    QString note;
    QString version, codepage;
    qint64 layerCount = 0;
    qint64 objectCount = 0;
    std::vector<SetLayer> layers;
};

/// One row of the layer table: a layer name of the set (its first spelling;
/// names are compared without regard to case, as the CAD does) and its place
/// in each drawing that was read (index into `layers`, or none).
struct SetRow {
    QString name;
    bool standard = true;
    std::vector<std::optional<std::size_t>> inDrawing;
};

/// The rows of the layer table for the drawings that were read: names in
/// the viewer's order; with a standard (wildcard patterns, the host's rules),
/// the names no pattern matches first, each group in that order.
std::vector<SetRow> setRows(const std::vector<SetDrawing>& drawings, const std::optional<QStringList>& standard);

/// Writes the sheet: the layer table (name, 「標準」 with a standard, one
/// column a drawing that was read headed by its file name, 「合計」), each
/// count a number whose cell shows the layer's state (off: grey text, frozen:
/// blue fill, locked: italic) and says it in a note; under it one row a
/// drawing with its version, code page, layer and object counts, its count of
/// layers outside the standard and, for a skipped drawing, the reason. Header
/// row and name column frozen and printed on every page, columns fitted; the
/// header row and the drawing rows have thin borders, the layer table
/// (mostly empty in a large set) the sheet's grid.
/// Throws what the spreadsheet throws; false when a table cannot be written.
bool writeDrawingSetSheet(const excel::ApplicationPtr& oExcel, const excel::WorksheetPtr& sheet,
                          const std::vector<SetDrawing>& drawings, const std::optional<QStringList>& standard);

/// The note of a layer cell: its states in the CAD's words, empty when on,
/// thawed and unlocked.
QString layerStateNote(const SetLayer& layer);

} // namespace exportexcel
