#pragma once

#include "WorkbookModel.h"

#include <QByteArray>

namespace excel {

/// The notes (comments) of a sheet's cells, in cell order, by one author.
QByteArray commentsXml(const SheetModel& sheet);

/// The legacy drawing the spreadsheet shows the notes with: one hidden note
/// box beside each cell with a note. `part` (1-based) keeps the shape ids of
/// the package's note drawings apart.
QByteArray commentsVml(const SheetModel& sheet, int part);

} // namespace excel
