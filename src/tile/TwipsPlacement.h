#pragma once

#include <QRectF>

class QWidget;

namespace tile {

/// Places a widget by a rectangle in twips (left, top, width, height),
/// through the program's one twips-to-pixels conversion.
void placeInTwips(QWidget& widget, const QRectF& twips);
/// The same for the position alone; the size stays.
void moveInTwips(QWidget& widget, double left, double top);

} // namespace tile
