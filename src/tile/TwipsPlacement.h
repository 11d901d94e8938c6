#pragma once

#include <QRectF>

class QWidget;

namespace tile {

/// Places a widget by a rectangle in twips (left, top, width, height),
/// through the program's one twips-to-pixels conversion. The rectangle is
/// kept on the widget, so the layout reads back exactly what it set rather
/// than pixel-rounded values.
void placeInTwips(QWidget& widget, const QRectF& twips);
/// The same for the position alone; the size stays.
void moveInTwips(QWidget& widget, double left, double top);
/// The rectangle last set in twips; for a widget never placed in twips, its
/// pixel geometry converted to twips.
QRectF twipsGeometryOf(const QWidget& widget);

} // namespace tile
