#include "OverviewZoom.h"

#include <cmath>

namespace viewer {

namespace {
/// Rounding to the nearest whole number, halves to even, as the program's
/// conversions to integers do.
double roundHalfEven(double value) { return std::nearbyint(value); }

float round2(float value) { return float(std::nearbyint(double(value) * 100.0) / 100.0); }
} // namespace

FittedPicture fitPicture(const QSizeF& natural, const QSizeF& frame, double reserve, double topOffset)
{
    double width = natural.width();
    double height = natural.height();
    bool stretched = false;
    if (width > frame.width()) {
        stretched = true;
        height = frame.width() / width * height;
        width = frame.width();
    }
    const float room = float(frame.height() - reserve);
    if (!(room >= height) && height > 0) {
        stretched = true;
        width = room / height * width;
        height = room;
    }
    const double left = (frame.width() - width) / 2;
    const double top = (frame.height() - reserve - height) / 2 + topOffset;
    return {QRectF(left, top, width, height), stretched};
}

float proportionOf(const QRectF& picture)
{
    if (picture.width() == 0)
        return 0;
    return round2(float(picture.height() / picture.width()));
}

QRectF wholePixels(const QRectF& twips, double twipsPerPixel)
{
    const auto snap = [twipsPerPixel](double v) { return roundHalfEven(v / twipsPerPixel) * twipsPerPixel; };
    return {snap(twips.left()), snap(twips.top()), snap(twips.width()), snap(twips.height())};
}

ZoomStep zoomStep(const QRectF& picture, double stepPercent, bool zoomIn, const QSizeF& frame,
                  double captionHeight, float recordedProportion, double twipsPerPixel)
{
    const double factor = zoomIn ? 1 + stepPercent * 0.01 : 1 - stepPercent * 0.01;
    const double centreY = (frame.height() - captionHeight) / 2;
    const double centreX = frame.width() / 2;
    const double dy = roundHalfEven((centreY - picture.top()) * factor);
    const double dx = roundHalfEven((centreX - picture.left()) * factor);

    const QRectF next = wholePixels(QRectF(centreX - dx, centreY - dy, picture.width() * factor,
                                           picture.height() * factor),
                                    twipsPerPixel);
    const double width = next.width();
    const double height = next.height();

    // A picture shrunk to nothing has no proportion left to keep.
    const bool vanished = width < 1 || height < 1;
    const bool square = height == width;
    const bool distorted = vanished || std::fabs(round2(float(height / width)) - recordedProportion) > 0.1f;
    if (vanished || square || distorted)
        return {picture, true};
    return {next, false};
}

QString zoomInRefusedMessage()
{
    return QStringLiteral("これ以上大きくすることが出来ません。");
}

QString zoomOutRefusedMessage()
{
    return QStringLiteral("これ以上小さくすることが出来ません。");
}

} // namespace viewer
