// The overview panes: fitting a picture into its pane, the zoom steps about
// the pane's centre with their limit, the fit command, panning by dragging
// the overview, and bringing the second pane and every tile picture in line
// with the overview afterwards.

#include "FrmWMF.h"

#include "CaptionBox.h"
#include "OverviewZoom.h"
#include "PictureFit.h"
#include "TileGrid.h"
#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/Twips.h"
#include "app/UserInterface.h"
#include "tile/TwipsPlacement.h"
#include "tile/WmfImage.h"

#include <QComboBox>

#include <cmath>

using viewer::onDisplay;
using viewer::pu_subFitImage;

void frmWMF::pr_subZoomUp()
{
    pr_subZoom(ZoomDirection::In);
    pr_subImgPartUpdate();
}

void frmWMF::pr_subZoomDown()
{
    pr_subZoom(ZoomDirection::Out);
    pr_subImgPartUpdate();
}

void frmWMF::pr_subZoomFit()
{
    pu_subFitImage(*m_imgALL, *m_fraALL, qint32(std::nearbyint(tile::twipsGeometryOf(*m_txtALL).height())), 0);
    pr_subImgPartUpdate();
}

void frmWMF::pr_subZoom(ZoomDirection direction)
{
    bool isNumber = false;
    const double step = CboZoom()->currentText().toDouble(&isNumber);
    if (!isNumber) {
        // The zoom list only holds numbers; anything else is a fault of ours.
        app::reportUnexpectedError(QStringLiteral("pr_subZoom"), 13, QStringLiteral("型が一致しません。"));
        return;
    }
    const bool zoomIn = direction == ZoomDirection::In;
    m_imgALL->setVisible(false);
    const viewer::ZoomStep result =
        viewer::zoomStep(m_imgALL->twipsGeometry(), step, zoomIn, tile::twipsGeometryOf(*m_fraALL).size(),
                         tile::twipsGeometryOf(*m_txtALL).height(), m_sngImgALLRatio, app::pixelsToTwips(1));
    if (result.refused) {
        app::ui().message(zoomIn ? viewer::zoomInRefusedMessage() : viewer::zoomOutRefusedMessage(),
                          app::MsgButtons::Ok, app::MsgIcon::Exclamation, QString::fromUtf16(app::kAppTitle));
    } else {
        m_imgALL->setStretch(true);
        m_imgALL->setTwipsGeometry(result.rect);
    }
    m_imgALL->setVisible(true);
}

void frmWMF::ImgALL_MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, QPointF posTwips)
{
    m_lnImgALLDrag = 1;
    m_lnImgALLDownX = qint32(std::nearbyint(posTwips.x()));
    m_lnImgALLDownY = qint32(std::nearbyint(posTwips.y()));
}

void frmWMF::ImgALL_MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, QPointF posTwips)
{
    if (m_lnImgALLDrag != 1)
        return;
    // The point grabbed stays under the pointer; there is no bound.
    QRectF rect = m_imgALL->twipsGeometry();
    rect.moveTo(rect.left() + posTwips.x() - m_lnImgALLDownX, rect.top() + posTwips.y() - m_lnImgALLDownY);
    m_imgALL->setTwipsGeometry(onDisplay(rect));
}

void frmWMF::ImgALL_MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPointF)
{
    m_lnImgALLDrag = 0;
    pr_subImgPartUpdate();
}

void frmWMF::pr_subImgPartUpdate()
{
    m_imgPart->setVisible(false);
    m_imgPart->setStretch(true);
    m_imgPart->setTwipsGeometry(m_imgALL->twipsGeometry());
    m_imgPart->setVisible(true);
    m_grid->pu_subImageUpdate(m_imgALL->twipsGeometry());
}
