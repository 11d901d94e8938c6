#pragma once

#include <QStringList>

class QTextStream;

namespace cad::cli {

/// `kasanemi-cad --export-xlsx FILE.dxf OUT.xlsx [options]`: loads the drawing
/// into the in-process host, switches every layer but the current one on and
/// thawed (in memory only, as the refresh does), has the all-layer picture
/// macro write the layer pictures into a temporary work folder, and runs the
/// export with the workbook written to OUT.xlsx. Without --layer it exports
/// every layer that has objects.
///
/// Options (defaults as the dialog's): --separate (one picture a sheet),
/// --rows N (3), --columns N (2), --width CM (9.0), --spacing CM (1.0),
/// --frame PT (1.0), --no-frame, and --layer NAME, repeatable, naming layers
/// to export (in table order).
///
/// Exit codes: 0 done; 1 the workbook or the pictures could not be written or
/// the export failed; 2 bad arguments, a drawing that cannot be read, or a
/// named layer the drawing does not hold. Every failure is one line on `errors`.
int runExportXlsxCommand(const QStringList& args, QTextStream& output, QTextStream& errors);

/// The same on standard output and error; the entry point of the mode.
int runExportXlsx(const QStringList& args);

} // namespace cad::cli
