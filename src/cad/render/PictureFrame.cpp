#include "cad/render/PictureFrame.h"

#include "cad/Extents.h"

#include <algorithm>
#include <cmath>

namespace cad::render {

PictureFrame PictureFrame::forWorld(const QRectF& extents)
{
    PictureFrame frame;
    QRectF world = extents.normalized();
    double longer = std::max(world.width(), world.height());
    if (!(longer > 0) || !std::isfinite(longer)) {
        // A single point (or nothing): a unit square around it.
        const QPointF c = std::isfinite(world.center().x()) ? world.center() : QPointF();
        world = QRectF(c - QPointF(0.5, 0.5), QSizeF(1, 1));
        longer = 1;
    }
    const double minimumSide = longer / 20;
    if (world.width() < minimumSide)
        world.adjust(-(minimumSide - world.width()) / 2, 0, (minimumSide - world.width()) / 2, 0);
    if (world.height() < minimumSide)
        world.adjust(0, -(minimumSide - world.height()) / 2, 0, (minimumSide - world.height()) / 2);
    const double margin = longer * 0.02;
    frame.world = world.adjusted(-margin, -margin, margin, margin);

    const double longSide = longSideInches * frame.unitsPerInch;
    const double scale = longSide / std::max(frame.world.width(), frame.world.height());
    frame.logical = QSize(std::max(1, int(std::lround(frame.world.width() * scale))),
                          std::max(1, int(std::lround(frame.world.height() * scale))));
    return frame;
}

PictureFrame PictureFrame::forDrawing(const Drawing& drawing)
{
    return forWorld(modelExtents(drawing).value_or(QRectF()));
}

QTransform PictureFrame::worldToLogical() const
{
    const double sx = logical.width() / world.width();
    const double sy = logical.height() / world.height();
    return QTransform(sx, 0, 0, -sy, -world.left() * sx, world.bottom() * sy);
}

double PictureFrame::tolerance() const
{
    return std::max(world.width(), world.height()) / (longSideInches * unitsPerInch) / 4;
}

double PictureFrame::drawingUnitsPerMillimetre() const
{
    return std::max(world.width(), world.height()) / (longSideInches * 25.4);
}

} // namespace cad::render
