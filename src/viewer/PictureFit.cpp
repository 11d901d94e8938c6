#include "PictureFit.h"

#include "OverviewZoom.h"
#include "app/Twips.h"
#include "tile/TwipsPlacement.h"
#include "tile/WmfImage.h"

namespace viewer {

QRectF onDisplay(const QRectF& twips)
{
    return wholePixels(twips, app::pixelsToTwips(1));
}

void pu_subFitImage(tile::WmfImage& oImg, const QWidget& oFra, qint32 lnReserve, qint32 lnTop)
{
    oImg.setVisible(false);
    oImg.setStretch(false);
    const QSizeF frame = tile::twipsGeometryOf(oFra).size();
    const FittedPicture fit = fitPicture(oImg.twipsGeometry().size(), frame, lnReserve, lnTop);
    if (fit.stretched)
        oImg.setStretch(true);
    oImg.setTwipsGeometry(onDisplay(fit.rect));
    oImg.setVisible(true);
}

} // namespace viewer
