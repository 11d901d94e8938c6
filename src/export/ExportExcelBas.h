#pragma once

// The module that reaches the spreadsheet application and writes a table into
// a sheet.

#include "excel/ExcelSurface.h"

namespace basExcel {

/// Takes the running spreadsheet application or, failing that, starts a new
/// one and makes it visible (a running one is used as it is). True with
/// `oExcel` set on success; false (and `oExcel` cleared) when neither works.
bool pu_fun_bGetExcel(excel::ExcelConnector& connector, excel::ApplicationPtr& oExcel);

/// Writes `table` (rows 0..U1, columns 0..U2) into `oSheet` from row
/// `startRow`, column 1, in one go; gives every cell of that range thin
/// continuous borders in the automatic colour; autofits every column of the
/// sheet. True on success, false on any error.
bool pu_fun_bSetArrayToSheet(const excel::ApplicationPtr& oExcel, const excel::WorksheetPtr& oSheet,
                             const excel::Table& table, qint32 startRow);

} // namespace basExcel
