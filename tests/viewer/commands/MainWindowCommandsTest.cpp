// The commands inside the real main window, after a real refresh of a sample
// drawing in the in-process host.

#include "QtPrinters.h"
#include "ViewerFixture.h"

#include "tile/StatePictures.h"
#include "tile/clsDWF.h"
#include "viewer/CaptionBox.h"
#include "viewer/Toolbar1.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>

using namespace viewertest;

namespace {

// Five layers: 0, Tavolo 2, Tavolo 3 (current), Defpoints, *ADSK_SYSTEM_LIGHTS.
const QString kFiveLayers = QStringLiteral("libredwg_example_2018.dxf");

} // namespace

class MainWindowCommands : public ViewerTest {
protected:
    void refresh()
    {
        openDrawing(kFiveLayers);
        toolbar()->Toolbar1_ButtonClick(7);
        ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
        ASSERT_EQ(window->tiles().tileCount(), 5);
    }
    viewer::Toolbar1* toolbar() { return window->findChild<viewer::Toolbar1*>(QStringLiteral("Toolbar1")); }
    QListWidget* list() { return window->LstLayers(); }
    tile::clsDWF& tileAt(int index) { return *window->tiles().oDWF(index); }
    const cad::LayerRecord& layer(const QString& name)
    {
        return document().layer(document().layerIndex(name));
    }
};

TEST_F(MainWindowCommands, ToolbarSitsAboveTheControlsWithTheZoomBoxOverItsEmptyButtons)
{
    viewer::Toolbar1* bar = toolbar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->actions().size(), 17 + 4); // then the undo button and the filter box
    EXPECT_EQ(window->CboZoom()->parentWidget(), bar);
    const QRect first = bar->widgetForAction(bar->button(1))->geometry();
    EXPECT_EQ(window->CboZoom()->x(), first.x());
    EXPECT_TRUE(window->CboZoom()->isVisible());
    // The band stays clear of the overview frame below it.
    EXPECT_LE(bar->geometry().bottom(), window->FraALL()->geometry().top());
}

TEST_F(MainWindowCommands, RefreshButtonLeavesTheWindowEnabledWithCounts)
{
    refresh();
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(window->TxtALL()->text(), QStringLiteral("全ての画層\r\n画層数:5 ｵﾌﾞｼﾞｪｸﾄ数:70"));
    EXPECT_EQ(window->TxtPart()->text(), QStringLiteral("表示中の画層\r\n画層数:5 ｵﾌﾞｼﾞｪｸﾄ数:70"));
}

TEST_F(MainWindowCommands, CtrlAGivesEveryTileTheSelectedLook)
{
    refresh();
    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list()->selectedItems().size(), 5);
    for (int i = 1; i <= 5; ++i)
        EXPECT_TRUE(tileAt(i).bSelect()) << i;
}

TEST_F(MainWindowCommands, ClickingATilePictureSelectsItsEntryAlone)
{
    refresh();
    QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    QTest::mouseClick(tileAt(3).ImgOne(), Qt::LeftButton);
    ASSERT_EQ(list()->selectedItems().size(), 1);
    EXPECT_EQ(list()->selectedItems()[0]->text(), tileAt(3).sLayerName());
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(tileAt(i).bSelect(), i == 3) << i;
}

TEST_F(MainWindowCommands, RemovingTheFirstEntryMovesTheOthersBackOnePlace)
{
    refresh();
    const QStringList before = [&] {
        QStringList names;
        for (int i = 1; i <= 5; ++i)
            names << tileAt(i).sLayerName();
        return names;
    }();
    QFrame* firstFrame = tileAt(1).FraOne();
    const QPoint firstPlace = firstFrame->pos();
    list()->clearSelection();
    list()->item(0)->setSelected(true);
    toolbar()->Toolbar1_ButtonClick(13);

    ASSERT_EQ(window->tiles().tileCount(), 4);
    ASSERT_EQ(list()->count(), 4);
    EXPECT_FALSE(firstFrame->isVisible());
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(tileAt(i).iIndex(), i);
        EXPECT_EQ(tileAt(i).sLayerName(), before[i]);
        EXPECT_EQ(list()->item(i - 1)->text(), before[i]);
    }
    EXPECT_EQ(tileAt(1).FraOne()->pos(), firstPlace);
    EXPECT_TRUE(document().isModified() == false);
}

TEST_F(MainWindowCommands, HideAllTurnsEveryBulbOffAndShowAllBackOn)
{
    refresh();
    toolbar()->Toolbar1_ButtonClick(15);
    for (int i = 0; i < document().layerCount(); ++i)
        EXPECT_FALSE(document().layer(i).on) << i;
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(tileAt(i).CmdView()->pictureName(), tile::statePictureName(tile::StatePicture::ViewOff)) << i;

    list()->clearSelection();
    list()->item(1)->setSelected(true);
    toolbar()->Toolbar1_ButtonClick(11);
    EXPECT_TRUE(layer(list()->item(1)->text()).on);
    EXPECT_TRUE(tileAt(2).bLayerOn());
    EXPECT_FALSE(tileAt(1).bLayerOn());
}

TEST_F(MainWindowCommands, TileButtonsWorkOnlyAfterARefreshAndReachTheDrawing)
{
    refresh();
    tile::clsDWF& t = tileAt(2);
    const QString name = t.sLayerName();
    QTest::mouseClick(t.CmdView(), Qt::LeftButton);
    EXPECT_FALSE(layer(name).on);
    EXPECT_EQ(t.CmdView()->pictureName(), tile::statePictureName(tile::StatePicture::ViewOff));
}

TEST_F(MainWindowCommands, ExclusiveDoubleClickLeavesOneLayerOn)
{
    refresh();
    window->OptDblClickExclusiveViewButton()->setChecked(true);
    QTest::mouseDClick(tileAt(4).ImgOne(), Qt::LeftButton);
    int on = 0;
    for (int i = 0; i < document().layerCount(); ++i)
        on += document().layer(i).on ? 1 : 0;
    EXPECT_EQ(on, 1);
    EXPECT_TRUE(layer(tileAt(4).sLayerName()).on);
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(tileAt(i).bLayerOn(), i == 4) << i;
}

TEST_F(MainWindowCommands, ExportBeforeTheFirstRefreshAsksForOne)
{
    toolbar()->Toolbar1_ButtonClick(9);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].text,
              QStringLiteral("図面更新ボタン（ビックリマーク）で図面を読み込んでから実行してください。"));
}
