#pragma once

#include <QString>
#include <QVariant>

namespace excel {

/// The width of `text` in character cells as a spreadsheet column counts them:
/// East Asian wide and fullwidth characters (kanji, kana, fullwidth forms) count
/// 2, everything else 1 (halfwidth katakana included). For a text of several
/// lines the widest line counts.
int textWidthUnits(const QString& text);

/// The text a cell shows for `value`: numbers in plain decimal (integers
/// without a point), texts as they are, nothing for an empty value.
QString displayText(const QVariant& value);

/// The column width (in the spreadsheet's character units, as stored in the
/// file) that shows a text of `units` character cells in the default font,
/// with the spreadsheet's own padding.
double columnWidthForUnits(int units);

/// The default column width (8.43 characters shown, stored with padding).
constexpr double kDefaultColumnWidth = 9.140625;
/// The default row height in points.
constexpr double kDefaultRowHeightPoints = 15.0;

/// A column's width on screen in pixels at 96 dpi, for a stored width.
int columnWidthPixels(double width);

} // namespace excel
