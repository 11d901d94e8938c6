#pragma once

#include "XlsxParts.h"

#include <QString>

namespace excel {

/// An .xlsx package written sheet by sheet, for workbooks too large to hold
/// at once (the drawing-set export: every drawing's pictures). Each sheet's
/// parts and media go to files in a staging folder as soon as the sheet is
/// done, and the sheet is emptied in the model, keeping its name and place in
/// the tab order; the package is zipped from those files at the end. The
/// parts are made by the same functions as XlsxPackageWriter's; shared
/// strings and cell formats are numbered in the order sheets are written.
class XlsxPackageStream {
public:
    /// `stagingFolder` must exist and stay until finish() returns.
    explicit XlsxPackageStream(QString stagingFolder);

    /// Writes out every sheet of `book` from the `first` (0-based, tab
    /// order) on that has not been written yet, and empties it. Which sheet
    /// is active is only known at the end, so these sheets are written as
    /// not selected (the workbook still opens on the active one).
    void writeOut(WorkbookModel& book, std::size_t first);

    /// Writes out what is left, then the workbook's own parts, and puts the
    /// package at `path` atomically (a failure leaves any file there as it
    /// was). Throws ExcelError (error::kWriteFailed) with the reason.
    void finish(WorkbookModel& book, const QString& path);

private:
    void writeSheets(WorkbookModel& book, std::size_t first, bool final);
    QString stage(const QString& entry, const QByteArray& bytes);

    QString m_folder;
    parts::SharedStrings m_strings;
    parts::StyleTable m_styles;
    parts::PartNumbering m_numbering;
    /// (entry name, staged file) in the order they were written.
    std::vector<std::pair<QString, QString>> m_entries;
};

} // namespace excel
