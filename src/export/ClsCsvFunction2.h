#pragma once

#include "CsvTable.h"
#include "app/TextEncoding.h"

#include <QString>
#include <QVariant>
#include <QtGlobal>

#include <optional>

namespace csv {

/// The reader refuses (false) a file whose table would hold more cells than
/// this (some 500 MB), rather than run out of memory.
constexpr qint64 kMaxTableCells = qint64(1) << 24;
/// What a caller may ask of the reader beyond the table's own rules.
struct ReadOptions {
    /// Read a file without byte-order mark in this encoding instead of
    /// deciding by its bytes.
    std::optional<app::TextFileEncoding> encoding;
    /// A lone LF ends a record too (files written with LF line ends).
    bool lineFeedEndsRecord = false;
};
} // namespace csv

/// Moves two-dimensional tables of text between the program and delimited
/// text files. Holds no state between calls.
class clsCSV_Function2 {
public:
    /// Reads a delimited file into `vCSV_Array`, laid out as (column, row),
    /// both indices starting at 1 (`bArrayMode`) or 0. The file is UTF-8 when
    /// it is valid UTF-8 (a byte-order mark is skipped), else code page 932.
    ///
    /// `vHeader`, when given and holding a list of n > 1 texts, is compared with
    /// the header line (line `iHeaderLow`, or the line the column scan stopped
    /// at): a different column count puts "Not Col Num" into it, a different
    /// text "Not Head data", and the read fails. `iHeaderLows` lines are
    /// skipped before the data. `bColComplete` false takes the column count
    /// from line 1 only. `bChkHeadZero` marks numeric fields starting with "0"
    /// with a leading apostrophe; `bChkNotMozi` marks enclosed fields so
    /// instead. A missing file is reported in a critical message box.
    ///
    /// Returns true when the table was read; false for a missing file, a header
    /// failure, more lines to skip than the file has, an empty delimiter or an
    /// unreadable file. `vCSV_Array` is always cleared first.
    bool pu_fun_bGet_CSV_Array(const QString& sCSV_FileFullPath, csv::CsvTable& vCSV_Array, QVariant* vHeader,
                               bool bArrayMode, bool bChkHeadZero, bool bChkNotMozi, qint32 iHeaderLows,
                               qint32 iHeaderLow, bool bColComplete, const QString& sDelimited,
                               const csv::ReadOptions& options = {});

    /// Writes `vCSV_Array` to the file `sCSV_FileName` in the folder
    /// `sCSV_FilePath` (with or without a trailing separator): one line per
    /// index of dimension 2 (`bMode` true: the table is (column, row)) or of
    /// dimension 1 (`bMode` false), cells quoted by `sCSVMode` ("CSV1", "CSV2",
    /// "CSV3", "K3"; empty means "K3") and, with `bReigai`, by the exception
    /// rules; each record ends as `iReturn` says (0/1 CR LF, 2 CR, 3 LF, any
    /// other value the delimiter). Text is written in `encoding`.
    ///
    /// The file is replaced atomically: on any failure (unknown mode, a table
    /// with no elements, a cell with no text form, a character the encoding
    /// cannot hold, a write error) nothing is shown, false is returned and an
    /// existing file keeps its old contents.
    bool pu_fun_bOut_Array_CSV(const QString& sCSV_FilePath, const QString& sCSV_FileName,
                               const csv::CsvTable& vCSV_Array, bool bMode, const QString& sCSVMode, bool bChkEmpty,
                               bool bOptEmptyOK, bool bChkNum, bool bOptNumOK, bool bChkNum0, bool bChkDate,
                               const QString& sTxtDateHead, const QString& sTxtDateBack, bool bReigai,
                               qint32 iReturn, const QString& sDelimited,
                               app::TextFileEncoding encoding = app::TextFileEncoding::Utf8);
};

namespace csv {

/// The output form of one cell's text under a quoting mode and, when
/// `exceptions` holds, the exception rules. Exposed for the writer's tests.
struct OutputRules {
    QString mode = QStringLiteral("K3");
    bool exceptions = false;  // bReigai
    bool chkEmpty = false, optEmptyOK = false;
    bool chkNum = false, optNumOK = false;
    bool chkNum0 = false;
    bool chkDate = false;
    QString dateHead, dateBack;
    QString delimiter = QStringLiteral(",");
};
QString outputForm(const QString& raw, const OutputRules& rules);

} // namespace csv
