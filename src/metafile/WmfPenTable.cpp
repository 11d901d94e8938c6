#include "metafile/WmfPenTable.h"

namespace metafile {

QPen drawnPen(const QPen& source, double width, double deviceScale)
{
    QPen pen = source;
    // A pen narrower than one pixel on the device draws one pixel wide, as
    // GDI never draws a line thinner than that.
    // Set only where it differs: each setter copies a shared pen.
    const bool cosmetic = width * deviceScale < 1.0;
    const double drawnWidth = cosmetic ? 0.0 : width;
    if (pen.widthF() != drawnWidth)
        pen.setWidthF(drawnWidth);
    if (pen.isCosmetic() != cosmetic)
        pen.setCosmetic(cosmetic);
    return pen;
}

const QPen& WmfPenTable::drawnAt(std::uint32_t index, WmfPen& held, double deviceScale)
{
    WmfPen& pen = at(index, held);
    if (pen.drawnScale != deviceScale) {
        pen.drawn = drawnPen(pen.pen, pen.width, deviceScale);
        pen.drawnScale = deviceScale;
    }
    return pen.drawn;
}

} // namespace metafile
