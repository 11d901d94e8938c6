#pragma once

#include "ExportXlsxArguments.h"

#include "export/DrawingSetSheet.h"

#include <QJsonObject>
#include <QTextStream>

namespace cad::cli {

/// Exit code of a set export that wrote its workbook but skipped drawings
/// it could not read.
constexpr int kExitSomeSkipped = 3;

/// The drawings of the set, in order: each file as given; for a folder the
/// drawings directly in it (*.dxf and *.dwg, any case; with `recursive` its
/// subfolders' too, symbolic links to folders not followed), sorted by path.
/// A name that is neither file nor folder stays in the list (it is skipped
/// with its reason later). `labels` gets the name each is shown by: the file
/// name, or the path below the folder it was found in.
QStringList setDrawings(const QStringList& inputs, bool recursive, QStringList& labels);

/// One drawing's entry on the first sheet, from the report --inspect prints.
exportexcel::SetDrawing setDrawingFromReport(const QString& label, const QJsonObject& report);

/// `--export-xlsx DRAWING|FOLDER... OUT.xlsx [options]` for a set: one
/// workbook whose first sheet 「図面一覧」 sums up the set and whose other
/// sheets are each drawing's, as the single export makes them. Drawings are
/// read one at a time and their sheets written out before the next, so
/// memory stays that of the largest. Progress and a summary on `errors`.
/// Exit 0 written; kExitSomeSkipped written with drawings skipped; 1 the
/// workbook cannot be written; 2 bad arguments, no drawing found, or a
/// standard that cannot be read.
int runExportSet(const ExportXlsxArguments& arguments, const exportexcel::ExportExcelOptions& options,
                 QTextStream& errors);

} // namespace cad::cli
