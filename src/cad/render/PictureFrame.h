#pragma once

#include "cad/Drawing.h"

#include <QRectF>
#include <QSize>
#include <QTransform>

namespace cad::render {

/// Where a drawing's pictures look and how large they are. Every picture of
/// one drawing (whole drawing, user's view, each layer) shares one frame, so
/// a layer's picture lies exactly over the overview.
struct PictureFrame {
    /// The model-space extents with a margin of 2% of the longer side on every
    /// side, widened where needed so that neither side is less than a
    /// twentieth of the other. An empty drawing gets a unit square.
    QRectF world;
    /// Logical size of the metafile (units of 1/unitsPerInch inch); the
    /// longer side is `longSideInches` long.
    QSize logical;
    int unitsPerInch = 2880;

    /// Drawing units (y up) to logical units (y down, origin top left).
    QTransform worldToLogical() const;
    /// How far flattened curves may stray, in drawing units: about a quarter
    /// of a logical unit.
    double tolerance() const;
    /// Drawing units a millimetre of the picture at its natural size spans:
    /// lineweights are drawn in proportion to the picture, as on a sheet the
    /// picture's size.
    double drawingUnitsPerMillimetre() const;

    static constexpr double longSideInches = 4.0;
    static PictureFrame forDrawing(const Drawing& drawing);
    static PictureFrame forWorld(const QRectF& extents);
};

} // namespace cad::render
