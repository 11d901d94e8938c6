#pragma once

#include "WorkbookModel.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

namespace excel {

/// The workbook as a standard .xlsx package (Office Open XML): workbook,
/// worksheets, shared strings, styles (one thin-bordered cell style), column
/// widths, and for every sheet with shapes a drawing holding its pictures
/// (stored byte for byte as image/x-wmf media) and text boxes. Every entry
/// carries the same fixed timestamp, so the same workbook always gives the
/// same bytes. Throws ExcelError (error::kWriteFailed) when the package
/// cannot be built, or (error::kRefused) for a workbook without sheets.
QByteArray xlsxPackage(const WorkbookModel& book);

/// Writes the package to `path` atomically: a failure leaves whatever file was
/// there untouched. Throws ExcelError (error::kWriteFailed) with the reason.
void writeXlsxFile(const WorkbookModel& book, const QString& path);

/// app::replaceFile (on the disk before it takes the name; a failure keeps
/// the old file), throwing ExcelError (error::kWriteFailed) naming the path.
void replaceFile(const QString& path, const std::function<bool(QIODevice&)>& write);

/// "A1"-style name of a 1-based column ("A", …, "Z", "AA", …).
QString columnLetters(qint32 column);

} // namespace excel
