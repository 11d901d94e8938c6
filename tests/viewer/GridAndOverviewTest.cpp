#include "ViewerFixture.h"

#include "app/Twips.h"
#include "tile/TwipsPlacement.h"
#include "tile/WmfImage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QScrollBar>

using namespace viewertest;

namespace {
const QString kGenerated = QStringLiteral("generated/gen_50L_5k_R2000.dxf");
const QString kFiveLayers = QStringLiteral("libredwg_example_2018.dxf");

QSize pixels(double widthTwips, double heightTwips)
{
    return {app::twipsToPixels(widthTwips), app::twipsToPixels(heightTwips)};
}
} // namespace

class GridAndOverview : public ViewerTest {
protected:
    /// Gives the window this outer size (frame included), as the layout measures it.
    void resizeOuter(double widthTwips, double heightTwips)
    {
        const QSize frameExtra = window->frameGeometry().size() - window->geometry().size();
        window->resize(pixels(widthTwips, heightTwips) - frameExtra);
    }
    void refreshAt(const QString& drawing, double widthTwips)
    {
        openDrawing(drawing);
        resizeOuter(widthTwips, 9000);
        window->CmdRefresh_Click();
        ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    }
    double topOf(int tile) const { return tile::twipsGeometryOf(*window->tiles().oDWF(tile)->FraOne()).top(); }
    double leftOf(int tile) const { return tile::twipsGeometryOf(*window->tiles().oDWF(tile)->FraOne()).left(); }
};

TEST_F(GridAndOverview, BeforeTheFirstRefreshTheCaptionKeepsItsDesignText)
{
    resizeOuter(5820, 9000);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("画層ビューワ"));
    EXPECT_EQ(window->picMainWidthTwips(), 5660);
}

TEST_F(GridAndOverview, TilesFlowByWidthAndScrollByWholeRows)
{
    refreshAt(kGenerated, 5820);
    const int n = window->tiles().tileCount();
    const int rows = (n + 1) / 2;
    EXPECT_EQ(window->windowTitle(), QStringLiteral("画層ビューワ (%1×2)").arg(rows));
    EXPECT_EQ(window->ScrBarV()->minimum(), 1);
    EXPECT_EQ(window->ScrBarV()->maximum(), rows);
    EXPECT_EQ(leftOf(1), 30);
    EXPECT_EQ(leftOf(2), 2695);
    EXPECT_EQ(topOf(3), 3145);

    window->ScrBarV()->setValue(3);
    EXPECT_EQ(topOf(5), 30);
    EXPECT_EQ(topOf(1), -6200);
    EXPECT_EQ(window->tiles().oDWF(5)->iRow(), 3);

    // Wider: four columns; the scroll value stays within the new range.
    resizeOuter(4 * 2665 + 200, 9000);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("画層ビューワ (%1×4)").arg((n + 3) / 4));
    EXPECT_EQ(window->ScrBarV()->value(), 3);
    EXPECT_EQ(topOf(9), 30);
    EXPECT_EQ(leftOf(4), 3 * 2665 + 30);
}

TEST_F(GridAndOverview, FewTilesInAWideWindowMakeOneRow)
{
    refreshAt(kFiveLayers, 16000);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("画層ビューワ (1×5)"));
    EXPECT_EQ(window->ScrBarV()->maximum(), 1);
}

TEST_F(GridAndOverview, TooSmallWindowSnapsBackToTheSmallestSize)
{
    resizeOuter(1500, 9000);
    QCoreApplication::processEvents();
    EXPECT_GE(app::pixelsToTwips(window->frameGeometry().width()), 3090 - 15);
    resizeOuter(5000, 1000);
    QCoreApplication::processEvents();
    EXPECT_GE(app::pixelsToTwips(window->frameGeometry().height()), 4380 - 15);
}

TEST_F(GridAndOverview, TileSelectionAndCurrentLayerLook)
{
    refreshAt(kFiveLayers, 16000);
    for (int i = 1; i <= window->tiles().tileCount(); ++i)
        window->tiles().oDWF(i)->SelectView();
    window->tiles().pu_subResetSelect(2);
    EXPECT_TRUE(window->tiles().oDWF(2)->bSelect());
    EXPECT_FALSE(window->tiles().oDWF(1)->bSelect());
    window->tiles().pu_subResetSelect(999);  // no such tile: every tile deselected
    for (int i = 1; i <= window->tiles().tileCount(); ++i)
        EXPECT_FALSE(window->tiles().oDWF(i)->bSelect());

    // The current layer's bar is red; after the current layer changes it moves.
    const QString current = document().layer(document().currentLayer()).name;
    int currentTile = 0, otherTile = 0;
    for (int i = 1; i <= window->tiles().tileCount(); ++i) {
        if (window->tiles().oDWF(i)->sLayerName() == current)
            currentTile = i;
        else if (!document().layer(document().layerIndex(window->tiles().oDWF(i)->sLayerName())).frozen)
            otherTile = i;
    }
    ASSERT_GT(currentTile, 0);
    ASSERT_GT(otherTile, 0);
    EXPECT_EQ(window->tiles().oDWF(currentTile)->FraBar()->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_NE(window->tiles().oDWF(otherTile)->FraBar()->palette().color(QPalette::Window), QColor(255, 0, 0));

    document().setCurrentLayer(document().layerIndex(window->tiles().oDWF(otherTile)->sLayerName()));
    window->tiles().pu_subActiveLayerUpdate();
    EXPECT_EQ(window->tiles().oDWF(otherTile)->FraBar()->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_NE(window->tiles().oDWF(currentTile)->FraBar()->palette().color(QPalette::Window), QColor(255, 0, 0));
}

TEST_F(GridAndOverview, TileShowsItsLayersStateAndReReadsIt)
{
    refreshAt(kFiveLayers, 16000);
    tile::clsDWF& first = *window->tiles().oDWF(1);
    const int index = document().layerIndex(first.sLayerName());
    EXPECT_EQ(first.CmdView()->pictureName(), document().layer(index).on ? "CmdViewOn" : "CmdViewOff");
    EXPECT_EQ(first.TxtOne()->text(), first.sLayerName());
    EXPECT_EQ(first.TxtOne()->toolTip(), QStringLiteral("No.1"));

    document().setLayerLocked(index, true);
    window->tiles().pu_subCtrlViewUpdate();
    EXPECT_TRUE(first.bLock());
    EXPECT_EQ(first.CmdLock()->pictureName(), QStringLiteral("CmdLockOn"));
    EXPECT_TRUE(first.bEnableEvent());

    // A layer renamed in the host since the refresh: the tile reports its failed read.
    document().setLayerName(index, QStringLiteral("renamed-in-host"));
    ui.clearRecord();
    first.SetLayerState();
    ASSERT_EQ(reports().size(), 1);
    EXPECT_TRUE(reports().first().startsWith(QStringLiteral("予期せぬエラーが SetLayerState で発生しました。\r番号：-2145386476")));
}

TEST_F(GridAndOverview, TileAreaNarrowerThanOnePitchIsReportedNotDividedByZero)
{
    refreshAt(kFiveLayers, 16000);
    ui.clearRecord();
    const double before = topOf(2);
    window->tiles().oDWF(2)->pu_subUpdateLocation(2664, 0);
    ASSERT_EQ(reports().size(), 1);
    EXPECT_TRUE(reports().first().startsWith(QStringLiteral("予期せぬエラーが pu_subUpdateLocation で発生しました。")));
    EXPECT_EQ(topOf(2), before);
    window->tiles().oDWF(2)->pu_subUpdateLocation(2665, 0);
    EXPECT_EQ(window->tiles().oDWF(2)->iCol(), 1);
    EXPECT_EQ(window->tiles().oDWF(2)->iRow(), 2);
}

TEST_F(GridAndOverview, ZoomIsRefusedBeforeTheFirstRefresh)
{
    const QRectF before = window->ImgALL()->twipsGeometry();
    window->pr_subZoomUp();
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages().first().text, QStringLiteral("これ以上大きくすることが出来ません。"));
    EXPECT_EQ(ui.messages().first().icon, app::MsgIcon::Exclamation);
    window->pr_subZoomDown();
    EXPECT_EQ(ui.messages().last().text, QStringLiteral("これ以上小さくすることが出来ません。"));
    EXPECT_EQ(window->ImgALL()->twipsGeometry(), before);
}

TEST_F(GridAndOverview, ZoomAndPanCarryThePartPaneAndEveryTileAlong)
{
    openDrawing(kGenerated);
    window->ChkViewOnly()->setChecked(true);
    window->CmdRefresh_Click();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    ASSERT_EQ(window->CboZoom()->currentText(), QStringLiteral("40"));

    const QRectF fitted = window->ImgALL()->twipsGeometry();
    window->pr_subZoomUp();
    const QRectF zoomed = window->ImgALL()->twipsGeometry();
    // Within the half pixel the display rounds to.
    const double halfPixel = app::pixelsToTwips(0.5);
    EXPECT_NEAR(zoomed.width(), fitted.width() * 1.4, halfPixel);
    EXPECT_NEAR(zoomed.height(), fitted.height() * 1.4, halfPixel);
    EXPECT_EQ(window->ImgPart()->twipsGeometry(), zoomed);
    for (int i = 1; i <= window->tiles().tileCount(); ++i) {
        const QRectF picture = window->tiles().oDWF(i)->ImgOne()->twipsGeometry();
        EXPECT_EQ(picture.size(), zoomed.size());
        EXPECT_EQ(picture.top(), zoomed.top() + 255);
        EXPECT_EQ(picture.left(), zoomed.left());
    }

    // Dragging moves the overview with the pointer, without bound; release brings the others along.
    tile::WmfImage& overview = *window->ImgALL();
    emit overview.mousePressed(Qt::LeftButton, {}, QPointF(100, 100));
    emit overview.mouseMoved(Qt::LeftButton, {}, QPointF(5095, -2900));
    EXPECT_EQ(overview.twipsGeometry().topLeft(), zoomed.topLeft() + QPointF(4995, -3000));
    EXPECT_EQ(window->ImgPart()->twipsGeometry(), zoomed) << "the second pane follows only on release";
    emit overview.mouseReleased(Qt::LeftButton, {}, QPointF(5095, -2900));
    EXPECT_EQ(window->ImgPart()->twipsGeometry(), overview.twipsGeometry());
    EXPECT_EQ(window->tiles().oDWF(1)->ImgOne()->twipsGeometry().left(), overview.twipsGeometry().left());

    // Fit brings it back.
    window->pr_subZoomFit();
    EXPECT_EQ(window->ImgALL()->twipsGeometry(), fitted);
    EXPECT_EQ(window->ImgPart()->twipsGeometry(), fitted);
}

namespace {
/// Counts the repaints of one widget.
class PaintCount : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};
} // namespace

TEST_F(GridAndOverview, TheRefreshRepaintsTheTileAreaOnlyForTilesThatCanBeSeen)
{
    // Each step of the refresh lets the window repaint; a tile made out of
    // sight must not make the tile area repaint (each repaint of the area
    // weighs every tile in it, so a refresh of many layers slowed down with
    // the square of their number).
    openDrawing(kGenerated);
    resizeOuter(5820, 6000);
    window->show();
    QCoreApplication::processEvents();
    PaintCount area;
    window->findChild<QWidget*>(QStringLiteral("PicMain"))->installEventFilter(&area);
    window->CmdRefresh_Click();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    const int n = window->tiles().tileCount();
    ASSERT_GE(n, 40);
    int inSight = 0;
    for (int i = 1; i <= n; ++i)
        inSight += window->tiles().oDWF(i)->FraOne()->visibleRegion().isEmpty() ? 0 : 1;
    ASSERT_LT(inSight, n / 4);
    // Made, pictured and read: three steps a tile in sight, and a few for the
    // refresh's own start and end.
    EXPECT_LE(area.paints, 3 * inSight + 4) << inSight << " of " << n << " tiles in sight";
}
