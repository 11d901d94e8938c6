#pragma once

#include <QString>
#include <QStringList>

namespace excel {

/// The longest sheet name the spreadsheet accepts, in UTF-16 code units.
constexpr int kMaxSheetNameLength = 31;

/// Why a sheet name is refused; an empty text when the spreadsheet accepts it
/// (not counting clashes with other sheets). Refused: empty, longer than 31,
/// one of []:*?/\ or a control character, an apostrophe first or last.
QString sheetNameProblem(const QString& name);

/// True when `name` equals one of `taken`, ignoring case as the spreadsheet does.
bool sheetNameTaken(const QString& name, const QStringList& taken);

/// A name the spreadsheet accepts and no sheet in `taken` uses, as close to
/// `wanted` as possible: refused characters become '_', apostrophes at the
/// ends are dropped, the name is cut to 31, and a clash gets " (2)", " (3)", …
/// (cutting the name further to make room). Never cuts a surrogate pair.
QString safeSheetName(const QString& wanted, const QStringList& taken);

} // namespace excel
