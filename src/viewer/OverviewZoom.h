#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

namespace viewer {

/// The picture-fit and zoom rules of the overview, on rectangles in twips
/// (left, top, width, height), apart from any widget.

/// Fits a picture of natural size `natural` into a frame of size `frame`,
/// keeping `reserve` twips free at the frame's bottom: shrunk (never
/// enlarged), keeping its proportions, first to the frame's width, then to
/// the height above the reserved strip, and centred in that area; `topOffset`
/// is added to the top. `stretched` tells whether the picture had to shrink.
struct FittedPicture {
    QRectF rect;
    bool stretched = false;
};
FittedPicture fitPicture(const QSizeF& natural, const QSizeF& frame, double reserve, double topOffset);

/// Height over width rounded to 2 decimals, in single precision, as the
/// refresh records it after fitting the overview (sngImgALLRatio).
float proportionOf(const QRectF& picture);

/// The outcome of one zoom step.
struct ZoomStep {
    QRectF rect;          ///< the picture after the step (the old one when refused)
    bool refused = false; ///< the step would distort the picture
};

/// A rectangle in twips moved to the display's whole pixels, one pixel being
/// `twipsPerPixel` twips: left, top, width and height each to the nearest
/// whole pixel (halves to even), as an image control holds them.
QRectF wholePixels(const QRectF& twips, double twipsPerPixel);

/// One zoom step about the centre of the area above the caption strip of a
/// pane `frame` big with a strip `captionHeight` high. `stepPercent` is the
/// chosen step; `zoomIn` multiplies by 1 + step/100, otherwise by
/// 1 - step/100. The new picture is held in whole display pixels
/// (`twipsPerPixel` twips each; 1 keeps whole twips), and the limit is
/// checked on what the display holds, so the proportions drift, and the step
/// is refused, where the user sees the picture distort. The step is refused
/// when the new picture is square, when its proportion (2 decimals) differs
/// from `recordedProportion` by more than 0.1, or when it would vanish.
ZoomStep zoomStep(const QRectF& picture, double stepPercent, bool zoomIn, const QSizeF& frame,
                  double captionHeight, float recordedProportion, double twipsPerPixel = 1);

/// The two refusal messages.
QString zoomInRefusedMessage();
QString zoomOutRefusedMessage();

} // namespace viewer
