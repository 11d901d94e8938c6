#pragma once

// The export of chosen layers to a spreadsheet workbook: a list sheet with
// every chosen layer and its object count, and the pictures of the layers
// that have objects on image sheets, several to a sheet in a grid or one to a
// sheet, each with a caption naming the layer and its count.

#include "ExportExcelOptions.h"

#include "acad/AcadSurface.h"
#include "excel/ExcelSurface.h"
#include "excel/SheetName.h"

#include <QStringList>
#include <functional>

namespace exportexcel {

/// How an export ended.
enum class ExportResult {
    /// Everything written and in place; the completion message was shown.
    Finished,
    /// The user cancelled where the workbook goes; nothing was made or said.
    Cancelled,
    /// No spreadsheet application could be reached ("Excelが見つかりません。").
    ExcelMissing,
    /// The layer table could not be written ("Excelシート出力に失敗しました。").
    TableFailed,
    /// Something failed on the way; reported as an unexpected error.
    Failed,
    /// The sheets were made but the workbook could not be saved; reported
    /// (and no completion message).
    SaveFailed,
};

/// Everything the export needs besides the layout.
struct ExportRequest {
    acad::DocumentPtr document;
    /// The chosen layers, in list order.
    QStringList layerNames;
    /// The folder holding one picture per layer (the work folder LAYER).
    QString pictureFolder;
    /// Brings the dialog (if any) to the front; called where the dialog would be raised.
    std::function<void()> raiseDialog;
    /// Put before the names of the picture sheets ("1", "2", ... or the
    /// layers' names), so several drawings' sheets can share a workbook.
    QString pictureSheetPrefix;
    /// Where the searches for free sheet names stopped, kept across the
    /// drawings of one workbook; none: kept for this drawing's sheets only.
    excel::SheetNameClashes* sheetNameClashes = nullptr;
};

/// The caption of a picture: the layer name, a line feed and the object count.
QString captionText(const QString& layerName, const QString& count);

/// Runs the export on the spreadsheet reached through `connector`, telling
/// the user through app::ui() how it went: first asks where the workbook goes
/// (a cancel ends here, nothing made), then makes the sheets, lets go of the
/// application (which, for the workbook backend, writes the workbook) and
/// only then announces completion. Screen updating is switched on again
/// whenever an application was reached.
///
/// Beyond the plain recipe: a layer name the spreadsheet refuses as a sheet
/// name (one picture a sheet) gets a safe unique name instead; a picture that
/// is missing or unreadable is left out but its caption keeps its place,
/// sized as the pictures before it (or square when none came before).
ExportResult exportLayers(excel::ExcelConnector& connector, const ExportRequest& request,
                          const ExportExcelOptions& options);

/// The sheets of one drawing in a workbook that is open already: the layer
/// table on `listSheet` and the picture sheets right after it. Returns the
/// last sheet written, or null when the table could not be written (nothing
/// said). The layers whose caption got no picture are added to
/// `withoutPicture` when given. Throws what the spreadsheet or the host throws.
excel::WorksheetPtr writeLayerSheets(const excel::ApplicationPtr& oExcel, const excel::WorksheetsPtr& sheets,
                                     const excel::WorksheetPtr& listSheet, const ExportRequest& request,
                                     const ExportExcelOptions& options, QStringList* withoutPicture = nullptr);

/// Names `sheet`; when the spreadsheet refuses the name (too long, a refused
/// character, or another sheet's), a safe unique one made from it, the
/// search starting where `clashes` says. Returns the name given.
QString nameSheetSafely(const excel::WorksheetPtr& sheet, const QString& wanted,
                        excel::SheetNameClashes* clashes = nullptr);

} // namespace exportexcel
