// The lower area and the tile grid: fitting PicMain and its scroll bar to
// the window, flowing the tiles by the window's width, scrolling by whole
// rows, the caption with the grid's size, and the window-wide tile
// operations (re-read every state, re-check the current layer, clear the
// selection).

#include "FrmWMF.h"

#include "GridLayout.h"
#include "acad/AcadError.h"
#include "app/Twips.h"
#include "tile/TileGeometry.h"
#include "tile/TwipsPlacement.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>

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
    m_picMainWidth = area.picMainWidth;
    tile::placeInTwips(*m_picMain, QRectF(viewer::LowerAreaGeometry::kPicMainLeft,
                                          viewer::LowerAreaGeometry::kPicMainTop, area.picMainWidth,
                                          area.picMainHeight));
    tile::placeInTwips(*m_scrBarV, QRectF(area.scrollBarLeft, viewer::LowerAreaGeometry::kScrollBarTop,
                                          viewer::LowerAreaGeometry::kScrollBarWidth, area.scrollBarHeight));
}

qint32 frmWMF::picMainWidthForTiles() const
{
    return qint32(std::nearbyint(m_picMainWidth));
}

void frmWMF::Form_Resize()
{
    if (!m_picMain)
        return;  // still being built
    pr_subPaneLayout();
    if (!m_bTileReady)
        return;

    const qint32 width = picMainWidthForTiles();
    for (const auto& tile : m_oDWF)
        tile->pu_subUpdateLocation(width, 0);

    const double frameWidth = tile::twipsGeometryOf(*m_tile1.FraOne).width();
    const viewer::GridSize grid = viewer::gridSizeFor(tileCount(), m_picMainWidth, frameWidth);
    setWindowTitle(viewer::gridCaption(grid));

    // Setting the range clamps the value (and runs ScrBarV_Change when it moves).
    m_scrBarV->setRange(1, std::max(grid.rows, 1));
    m_scrBarV->setSingleStep(1);
    m_scrBarV->setPageStep(1);
    ScrBarV_Change();
}

void frmWMF::ScrBarV_Change()
{
    if (!m_bTileReady || m_oDWF.empty())
        return;
    const qint32 rowsAbove = m_scrBarV->value() - 1;
    const qint32 width = picMainWidthForTiles();
    for (const auto& tile : m_oDWF)
        tile->pu_subUpdateLocation(width, rowsAbove);
}

void frmWMF::pu_subCtrlViewUpdate()
{
    pr_subSetTileStates([](tile::clsDWF& tile) { tile.SetEnableEvent(false); },
                        [](tile::clsDWF& tile) { tile.SetEnableEvent(true); });
}

void frmWMF::pu_subActiveLayerUpdate()
{
    const CurrentLayerOfStep currentLayer(*this);
    for (const auto& tile : m_oDWF)
        tile->pu_subActiveLayerCheck();
}

QString frmWMF::currentLayerName(acad::Document& document)
{
    return m_sCurrentLayerOfStep ? *m_sCurrentLayerOfStep : document.activeLayer()->name();
}

frmWMF::CurrentLayerOfStep::CurrentLayerOfStep(frmWMF& window) : m_window(window)
{
    m_window.m_sCurrentLayerOfStep.reset();
    if (!m_window.m_oAcadDoc)
        return;
    try {
        m_window.m_sCurrentLayerOfStep = m_window.m_oAcadDoc->activeLayer()->name();
    } catch (const acad::AcadError&) {
        // Each tile asks on its own and reports its own failure.
    }
}

frmWMF::CurrentLayerOfStep::~CurrentLayerOfStep()
{
    m_window.m_sCurrentLayerOfStep.reset();
}

void frmWMF::pu_subResetSelect(qint32 iIndex)
{
    for (std::size_t i = 0; i < m_oDWF.size(); ++i) {
        if (qint32(i + 1) != iIndex)
            m_oDWF[i]->ResetSelect();
    }
}

bool frmWMF::eventFilter(QObject* watched, QEvent* event)
{
    // The wheel over the tile area moves the grid by whole rows, as the scroll bar does.
    if (watched == m_picMain && event->type() == QEvent::Wheel) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int steps = wheel->angleDelta().y() / 120;
        if (steps != 0)
            m_scrBarV->setValue(m_scrBarV->value() - steps);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
