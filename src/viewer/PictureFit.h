#pragma once

#include <QRectF>
#include <QtGlobal>

class QWidget;

namespace tile {
class WmfImage;
}

namespace viewer {

/// Shrinks a picture (never enlarges it), keeping its proportions, into its
/// frame `oFra` above a strip `lnReserve` twips high, centred, `lnTop` lower;
/// the overview panes and every tile picture are fitted so.
void pu_subFitImage(tile::WmfImage& oImg, const QWidget& oFra, qint32 lnReserve, qint32 lnTop);

/// A picture's place and size as the display holds them: in whole pixels.
QRectF onDisplay(const QRectF& twips);

} // namespace viewer
