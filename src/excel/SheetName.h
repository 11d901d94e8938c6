#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

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

/// Where the " (n)" searches of a workbook's names stopped: every " (n)" up
/// to the one remembered is taken, so the next sheet wanting the same name
/// starts after it (a thousand sheets wanting one name then cost one question
/// each, not one per sheet before them). Holds only while no sheet of the
/// workbook is deleted or renamed apart from these searches: forget() then.
class SheetNameClashes {
public:
    void forget() { m_lastTaken.clear(); }

private:
    friend QString firstFreeSheetName(const QString&, const std::function<bool(const QString&)>&, SheetNameClashes*);
    /// Case-folded safe name -> the highest n whose " (n)" is known taken.
    QHash<QString, int> m_lastTaken;
};

/// safeSheetName where `isFree(candidate)` answers for each candidate in
/// turn (the name itself, then " (2)", " (3)", …) until one is free, and
/// claims it at once, as naming the sheet does. With `clashes`, the search
/// starts where the last one for the same name stopped.
QString firstFreeSheetName(const QString& wanted, const std::function<bool(const QString&)>& isFree,
                           SheetNameClashes* clashes = nullptr);

/// The names of a workbook's sheets as the spreadsheet compares them
/// (ignoring case), so that asking whether one is taken costs the same at
/// three sheets or thousands.
class SheetNameSet {
public:
    void add(const QString& name);
    void remove(const QString& name);
    bool contains(const QString& name) const;

private:
    /// Case-folded name -> how many sheets hold it.
    QHash<QString, int> m_uses;
};

} // namespace excel
