#pragma once

#include <QtGlobal>

namespace exportexcel {

// Where the export puts each picture and its caption on an image sheet. All
// lengths are in points from the sheet's top left.

/// Margin above and left of the first picture.
constexpr double kSheetMargin = 10.0;
/// Gap between a picture's frame and its caption.
constexpr double kCaptionGap = 2.0;
/// Height of the caption text box under each picture.
constexpr double kCaptionHeight = 30.0;

/// ⌈k / columns⌉ for k ≥ 0 and columns ≥ 1.
qint32 ceilDiv(qint32 k, qint32 columns);

/// Grid row (1-based) of the k-th picture (1-based, counted over the whole
/// export) when sheets hold `rows` × `columns` pictures and the picture lies on
/// sheet j: pictures fill a sheet row by row, `columns` to a row.
/// Requires rows, columns ≥ 1 and k ≤ rows × columns × j.
qint32 pr_fun_lnImageRow(qint32 k, qint32 rows, qint32 columns, qint32 j);

/// Grid column (1-based) of the k-th picture when rows hold `columns` pictures.
qint32 pr_fun_lnImageCol(qint32 k, qint32 columns);

/// Top of a picture of height h in grid row `row`. The frame weight enters the
/// row pitch whether a frame is drawn or not.
double pictureTop(double spacing, double height, double frameWeight, qint32 row);
/// Left of a picture of width w in grid column `column`.
double pictureLeft(double spacing, double width, qint32 column);
/// Top of the caption under a picture.
double captionTop(double pictureTop, double height, double frameWeight);

} // namespace exportexcel
