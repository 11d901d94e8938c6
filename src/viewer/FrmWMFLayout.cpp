// The lower area: fitting PicMain and its scroll bar to the window, then
// letting the tile grid flow its tiles by the new width.

#include "FrmWMF.h"

#include "GridLayout.h"
#include "TileGrid.h"
#include "app/Twips.h"
#include "tile/TwipsPlacement.h"

#include <QResizeEvent>
#include <QScrollBar>

#include <cmath>

using viewer::LowerArea;

void frmWMF::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

QSizeF frmWMF::windowSizeTwips() const
{
    const QRect outer = frameGeometry();
    return {app::pixelsToTwips(outer.width()), app::pixelsToTwips(outer.height())};
}

double frmWMF::statusTopTwips() const
{
    // The status bar starts where the client area above it ends.
    return app::pixelsToTwips(centralWidget() ? centralWidget()->height() : height());
}

void frmWMF::pr_subPaneLayout()
{
    if (isMinimized())
        return;
    const QSizeF outer = windowSizeTwips();
    const viewer::WindowSizeCorrection fix = viewer::correctWindowSize(outer.width(), outer.height());
    if (fix.corrected) {
        // The new size raises another resize, which lays the window out.
        const QSize frameExtra = frameGeometry().size() - geometry().size();
        resize(QSize(app::twipsToPixels(fix.width), app::twipsToPixels(fix.height)) - frameExtra);
        return;
    }
    const LowerArea area = viewer::lowerAreaFor(outer.width(), statusTopTwips());
    m_grid->setAreaWidth(area.picMainWidth);
    tile::placeInTwips(*m_picMain, QRectF(viewer::LowerAreaGeometry::kPicMainLeft,
                                          viewer::LowerAreaGeometry::kPicMainTop, area.picMainWidth,
                                          area.picMainHeight));
    tile::placeInTwips(*m_scrBarV, QRectF(area.scrollBarLeft, viewer::LowerAreaGeometry::kScrollBarTop,
                                          viewer::LowerAreaGeometry::kScrollBarWidth, area.scrollBarHeight));
}

void frmWMF::Form_Resize()
{
    if (!m_picMain)
        return;  // still being built
    pr_subPaneLayout();
    m_grid->relayout();
}
