#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

namespace csv {

/// One field of a line as the reader splits it.
struct CsvField {
    QString text;
    bool enclosed = false;  // it started with a double quote in the file
};

/// Splits one line into fields. A field starting with a double quote is
/// enclosed: it runs to the next double quote that is followed by the
/// delimiter (quotes inside are kept as they are, never undoubled). The last
/// field runs to the end of the line; when enclosed, its opening quote and its
/// last character (taken as the closing quote) are dropped. `delimiter` must
/// not be empty.
QList<CsvField> splitLine(QStringView line, QStringView delimiter);

/// Splits file text into lines: a line ends at CR LF or at a lone CR; a lone
/// LF belongs to the line unless `lineFeedEnds`, when it ends one too. A last
/// line without terminator counts; text ending in a terminator has no empty
/// line after it.
QList<QStringView> splitRecords(const QString& text, bool lineFeedEnds = false);

/// True when the whole text reads as a number: optional surrounding blanks,
/// an optional sign, digits with an optional decimal point, an optional exponent.
bool isNumericText(const QString& text);

/// True when the text reads as a date or a time the way Japanese regional
/// settings write them: 2024/1/5, 24/1/5, 1/5, 2024/1/5 9:30, 9:30, 9:30:15,
/// 2024年1月5日, 1月5日, 9時30分, 9時30分15秒.
bool isDateText(const QString& text);

/// A cell's value as text, the way the original's text conversion gives it:
/// an empty cell is the empty text, whole numbers have no decimal point,
/// booleans are "True"/"False", dates are yyyy/MM/dd (with hh:mm:ss when they
/// carry a time). Nullopt for a value with no text form (a null, a list).
std::optional<QString> cellText(const QVariant& cell);

} // namespace csv
