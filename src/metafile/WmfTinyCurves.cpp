#include "metafile/WmfTinyCurves.h"

#include <cmath>

namespace metafile {

bool tinyArcLines(const QRectF& box, double startAngle, double span, QPainterPath& scratch, QPolygonF& lines)
{
    // The ends are the painter's own: its start and end points, the quarter
    // points between, and the quarters it passes over when an end lies on a
    // quarter's very edge.
    const double endAngle = startAngle + span;
    int first = int(std::floor(startAngle / 90)), last = int(std::floor(endAngle / 90));
    if (std::abs((startAngle - first * 90) / 90 - 1) <= 1e-12)
        ++first;
    if (std::abs((endAngle - last * 90) / 90) <= 1e-12)
        --last;
    if (last < first || span < 1e-6)
        return false; // no curve at all, or one that ends where it starts
    const double x = box.x(), y = box.y(), w = box.width(), h = box.height(), w2 = w / 2, h2 = h / 2;
    const QPointF quarters[4] = {{x + w, y + h2}, {x + w2, y}, {x, y + h2}, {x + w2, y + h}}; // 0, 90, 180, 270 degrees
    lines.resize(0);
    scratch.arcMoveTo(box, startAngle);
    lines.append(scratch.currentPosition());
    for (int quarter = first; quarter < last; ++quarter)
        lines.append(quarters[(quarter + 1) & 3]);
    scratch.arcMoveTo(box, endAngle);
    lines.append(scratch.currentPosition());
    return true;
}

void tinyEllipseLines(const QRectF& box, QPolygonF& lines)
{
    // The painter builds an ellipse from its four quarter points, starting
    // at the right and turning clockwise.
    const double x = box.x(), y = box.y(), w = box.width(), h = box.height(), w2 = w / 2, h2 = h / 2;
    lines.resize(5);
    QPointF* to = lines.data();
    to[0] = to[4] = QPointF(x + w, y + h2);
    to[1] = QPointF(x + w2, y + h);
    to[2] = QPointF(x, y + h2);
    to[3] = QPointF(x + w2, y);
}

} // namespace metafile
