#include "TwipsPlacement.h"

#include "app/Twips.h"

#include <QVariant>
#include <QWidget>

namespace tile {

namespace {
const char* const kTwipsProperty = "twipsGeometry";
}

void placeInTwips(QWidget& widget, const QRectF& twips)
{
    widget.setProperty(kTwipsProperty, twips);
    widget.setGeometry(app::twipsToPixels(twips.left()), app::twipsToPixels(twips.top()),
                       app::twipsToPixels(twips.width()), app::twipsToPixels(twips.height()));
}

void moveInTwips(QWidget& widget, double left, double top)
{
    QRectF twips = twipsGeometryOf(widget);
    twips.moveTo(left, top);
    widget.setProperty(kTwipsProperty, twips);
    widget.move(app::twipsToPixels(left), app::twipsToPixels(top));
}

QRectF twipsGeometryOf(const QWidget& widget)
{
    const QVariant kept = widget.property(kTwipsProperty);
    if (kept.isValid())
        return kept.toRectF();
    const QRect px = widget.geometry();
    return {app::pixelsToTwips(px.x()), app::pixelsToTwips(px.y()), app::pixelsToTwips(px.width()),
            app::pixelsToTwips(px.height())};
}

} // namespace tile
