#include "ExportExcelLayout.h"

#include <algorithm>

namespace exportexcel {

qint32 ceilDiv(qint32 k, qint32 columns)
{
    columns = std::max(columns, 1);
    return k % columns == 0 ? k / columns : k / columns + 1;
}

qint32 pr_fun_lnImageRow(qint32 k, qint32 rows, qint32 columns, qint32 j)
{
    qint32 row = ceilDiv(k, columns);
    if (row > rows)
        row -= rows * (j - 1);
    return row;
}

qint32 pr_fun_lnImageCol(qint32 k, qint32 columns)
{
    return k - std::max(columns, 1) * (ceilDiv(k, columns) - 1);
}

double pictureTop(double spacing, double height, double frameWeight, qint32 row)
{
    return (spacing + height + frameWeight + kCaptionGap + kCaptionHeight) * (row - 1) + kSheetMargin;
}

double pictureLeft(double spacing, double width, qint32 column)
{
    return (spacing + width) * (column - 1) + kSheetMargin;
}

double captionTop(double top, double height, double frameWeight)
{
    return top + height + frameWeight + kCaptionGap;
}

} // namespace exportexcel
