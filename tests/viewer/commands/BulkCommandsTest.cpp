#include "QtPrinters.h"
#include "RecordingSurface.h"
#include "TestDrawing.h"
#include "viewer/BulkCommands.h"
#include "viewer/TileGrid.h"

#include "app/RecordingUserInterface.h"
#include "app/Twips.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;
using viewer::BulkCommands;
using viewer::listClickScrollValue;

namespace {

/// The layer list over a real tile grid, one tile per name as a refresh
/// builds them, in a window 8000 twips wide and 12500 high (three columns,
/// four rows of tiles).
struct ListFixture {
    explicit ListFixture(const QStringList& names, acad::DocumentPtr document = nullptr)
    {
        window.resize(app::twipsToPixels(8000), app::twipsToPixels(12500));
        list->addItems(names);
        setDocument(std::move(document));
        grid.setAreaWidth(8000);
        grid.pr_subCreateTiles(acad::emptyNameList() + names, {});
        grid.setTileReady(true);
        grid.relayout();
        grid.setRefreshDone(true);
    }
    void setDocument(acad::DocumentPtr document)
    {
        doc = std::move(document);
        grid.setDocument(doc);
    }
    void select(std::initializer_list<int> rows)
    {
        list->clearSelection();
        for (int row : rows)
            list->item(row)->setSelected(true);
    }
    tile::clsDWF& tile(int index) { return *grid.oDWF(index); }
    /// Whether the frame made for tile `number` at creation is hidden.
    bool frameHidden(int number)
    {
        return area->findChild<QFrame*>(QStringLiteral("FraOne%1").arg(number))->isHidden();
    }

    app::RecordingUserInterface recorder;
    app::ScopedUi scoped{recorder};
    QWidget window;
    QWidget* area = new QWidget(&window);
    QScrollBar* scrollBar = new QScrollBar(&window);
    std::unique_ptr<QListWidget> list = std::make_unique<QListWidget>();
    QRadioButton* makeCurrent = new QRadioButton(&window);
    QRadioButton* exclusiveView = new QRadioButton(&window);
    viewer::TileGrid grid{{area, scrollBar, list.get(), makeCurrent, exclusiveView}};
    acad::DocumentPtr doc;
    QList<acad::NameList> exported;
    acad::DocumentPtr exportedDoc;
    BulkCommands commands{grid, [this](const acad::DocumentPtr& d, const acad::NameList& n) {
                              exported.append(n);
                              exportedDoc = d;
                          }};
};

QStringList names(int count)
{
    QStringList result;
    for (int i = 1; i <= count; ++i)
        result << QStringLiteral("L%1").arg(i);
    return result;
}

} // namespace

TEST(ListClickScroll, BringsTheTileIntoViewByWholeRows)
{
    const QSizeF frame(2565, 3015);
    // 8000 x 12500 twips: 3 columns, 4 rows.
    const QSizeF window(8000, 12500);
    // Tile 7 lies in row 3; a view starting at row 5 scrolls up to row 3.
    EXPECT_EQ(listClickScrollValue(window, frame, 7, 3, 5), 3);
    // Tile 25 lies in row 9, below a view starting at row 1 (last fully usable row 2).
    EXPECT_EQ(listClickScrollValue(window, frame, 25, 9, 1), 7);
    // The row comes from the window's column count, not from the tile's row in the grid.
    EXPECT_EQ(listClickScrollValue(window, frame, 7, 2, 5), 3);
    // A row's pitch is the frame's height and 100 twips: 12400 twips hold three rows.
    EXPECT_EQ(listClickScrollValue(QSizeF(8000, 12400), frame, 25, 9, 1), 8);
    // A tile already in view leaves the scroll bar alone.
    EXPECT_EQ(listClickScrollValue(window, frame, 4, 2, 1), std::nullopt);
    // Column counts follow the window: tile 3 with one column is row 3.
    EXPECT_EQ(listClickScrollValue(QSizeF(2665, 12500), frame, 3, 3, 5), 3);
    // Narrower than one pitch: no column, nothing to compute.
    EXPECT_EQ(listClickScrollValue(QSizeF(2664, 12500), frame, 3, 3, 5), std::nullopt);
    EXPECT_EQ(listClickScrollValue(window, frame, 0, 1, 5), std::nullopt);
}

TEST(LayerCountText, TwoLinesInPlainDecimal)
{
    EXPECT_EQ(viewer::layerCountText(QStringLiteral("全ての画層"), 12, 3456),
              QStringLiteral("全ての画層\r\n画層数:12 ｵﾌﾞｼﾞｪｸﾄ数:3456"));
    EXPECT_EQ(viewer::layerCountText(QStringLiteral("表示中の画層"), 0, 1234567),
              QStringLiteral("表示中の画層\r\n画層数:0 ｵﾌﾞｼﾞｪｸﾄ数:1234567"));
}

TEST(LayerList, ClickScrollsToTheTileAndRecoloursFromTheSelection)
{
    ListFixture f(names(30));
    EXPECT_EQ(f.grid.tileRow(25), 9);
    f.select({24, 2});
    f.list->setCurrentRow(24, QItemSelectionModel::Select);
    EXPECT_EQ(f.grid.scrollValue(), 7);
    for (int i = 1; i <= f.grid.tileCount(); ++i)
        EXPECT_EQ(f.tile(i).bSelect(), i == 25 || i == 3) << i;
}

TEST(LayerList, EveryProgrammaticSelectionChangeRunsTheHandling)
{
    ListFixture f(names(5));
    f.list->item(3)->setSelected(true);
    EXPECT_TRUE(f.tile(4).bSelect());
    f.list->clearSelection();
    EXPECT_FALSE(f.tile(4).bSelect());
}

TEST(LayerList, CtrlASelectsEveryEntryButPlainOrShiftedADoesNot)
{
    ListFixture f(names(6));
    f.list->show();
    QTest::keyClick(f.list.get(), Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(f.list->selectedItems().size(), 0);
    QTest::keyClick(f.list.get(), Qt::Key_A);
    EXPECT_LE(f.list->selectedItems().size(), 1);

    QTest::keyClick(f.list.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(f.list->selectedItems().size(), 6);
    for (int i = 1; i <= f.grid.tileCount(); ++i)
        EXPECT_TRUE(f.tile(i).bSelect()) << i;
}

TEST(RemoveCommand, ThreeSelectedOfThreeKeepsTheFirst)
{
    ListFixture f(names(3));
    f.select({0, 1, 2});
    f.commands.CmdSelectRemove_Click();

    ASSERT_EQ(f.list->count(), 1);
    EXPECT_EQ(f.list->item(0)->text(), QStringLiteral("L1"));
    ASSERT_EQ(f.grid.tileCount(), 1);
    EXPECT_EQ(f.tile(1).sLayerName(), QStringLiteral("L1"));
    EXPECT_EQ(f.tile(1).iIndex(), 1);
    EXPECT_FALSE(f.frameHidden(1));
    EXPECT_TRUE(f.frameHidden(2));
    EXPECT_TRUE(f.frameHidden(3));
    // The grid was laid out again: one tile, one row.
    EXPECT_EQ(f.scrollBar->maximum(), 1);
}

TEST(RemoveCommand, RemovingEntryZeroOfFiveRenumbersTheRest)
{
    ListFixture f(names(5));
    f.select({0});
    f.commands.CmdSelectRemove_Click();

    ASSERT_EQ(f.list->count(), 4);
    ASSERT_EQ(f.grid.tileCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(f.list->item(i)->text(), QStringLiteral("L%1").arg(i + 2));
        EXPECT_EQ(f.tile(i + 1).sLayerName(), f.list->item(i)->text());
        EXPECT_EQ(f.tile(i + 1).iIndex(), i + 1);
    }
    for (int frame = 1; frame <= 5; ++frame)
        EXPECT_EQ(f.frameHidden(frame), frame == 1) << frame;
    // The grid was laid out again: the former second tile leads the first row.
    EXPECT_EQ(f.tile(1).iRow(), 1);
    EXPECT_EQ(f.tile(1).iCol(), 1);
}

TEST(RemoveCommand, ALayerListedTwiceKeepsItsOtherTileInView)
{
    // A list file may name a layer twice; dropping one of its tiles must not
    // hide the other.
    ListFixture f({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")});
    f.select({2});
    f.commands.CmdSelectRemove_Click();

    ASSERT_EQ(f.grid.tileCount(), 2);
    EXPECT_FALSE(f.frameHidden(1));
    EXPECT_TRUE(f.frameHidden(3));
}

TEST(RemoveCommand, NothingSelectedRemovesNothingAndDoesNotRecolour)
{
    ListFixture f(names(4));
    f.commands.CmdSelectRemove_Click();
    EXPECT_EQ(f.list->count(), 4);
    EXPECT_EQ(f.grid.tileCount(), 4);
}

TEST(ExportButton, RefusesBeforeTheFirstRefreshAndPassesTheSelectionAfter)
{
    ListFixture f(names(4));
    f.commands.CmdExcel_Click();
    ASSERT_EQ(f.recorder.messages().size(), 1);
    EXPECT_EQ(f.recorder.messages()[0].text,
              QStringLiteral("図面更新ボタン（ビックリマーク）で図面を読み込んでから実行してください。"));
    EXPECT_EQ(f.recorder.messages()[0].icon, app::MsgIcon::Exclamation);
    EXPECT_EQ(f.recorder.messages()[0].caption, QStringLiteral("Kasanemi Ver4.00"));
    EXPECT_TRUE(f.exported.isEmpty());

    QTemporaryDir dir;
    writeTestDrawing(dir.filePath("d.dxf"), numberedLayers(4), QStringLiteral("L1"));
    f.setDocument(openTestHost(dir.filePath("d.dxf")).document);
    f.commands.CmdExcel_Click();
    ASSERT_EQ(f.exported.size(), 1);
    EXPECT_EQ(f.exported[0], acad::emptyNameList());
    EXPECT_EQ(f.exportedDoc, f.doc);

    f.select({3, 1});
    f.commands.CmdExcel_Click();
    EXPECT_EQ(f.exported[1], (QStringList{QString(), QStringLiteral("L2"), QStringLiteral("L4")}));
    EXPECT_EQ(f.recorder.messages().size(), 1);
}

class BulkSwitching : public ::testing::Test {
protected:
    void SetUp() override
    {
        QList<TestLayer> layers = numberedLayers(5);
        layers[2].on = false;
        writeTestDrawing(dir.filePath("d.dxf"), layers, QStringLiteral("L1"));
        host = openTestHost(dir.filePath("d.dxf"));
        QObject::connect(&host.drawing(), &cad::CadDocument::regenerated, [this] { ++regens; });
    }
    QTemporaryDir dir;
    TestHost host;
    int regens = 0;
};

TEST_F(BulkSwitching, SelectedLayersGoOnOrOffAndMissingOnesAreSkipped)
{
    // Tiles for L1..L3 and a layer deleted in the host since the refresh.
    ListFixture f({QStringLiteral("L1"), QStringLiteral("gone"), QStringLiteral("L3")}, host.document);
    f.select({0, 1});
    f.commands.CmdSelectHide_Click();
    EXPECT_FALSE(host.layerOn("L1"));
    EXPECT_FALSE(host.layerOn("L3"));
    EXPECT_TRUE(host.layerOn("L2"));
    EXPECT_EQ(regens, 1);
    // Every tile read its layer again.
    EXPECT_FALSE(f.tile(1).bLayerOn());
    EXPECT_FALSE(f.tile(3).bLayerOn());

    f.select({0, 1, 2});
    f.commands.CmdSelectView_Click();
    EXPECT_TRUE(host.layerOn("L1"));
    EXPECT_TRUE(host.layerOn("L3"));
    EXPECT_EQ(regens, 2);
    EXPECT_TRUE(f.tile(1).bLayerOn());
}

TEST_F(BulkSwitching, HideAllSwitchesOffTheCurrentLayerAndLayersWithoutTiles)
{
    ListFixture f({QStringLiteral("L2")}, host.document);
    f.commands.CmdAllHide_Click();
    for (const QString& name : names(5))
        EXPECT_FALSE(host.layerOn(name)) << name.toStdString();
    EXPECT_EQ(regens, 1);
    EXPECT_FALSE(f.tile(1).bLayerOn());

    f.commands.CmdAllView_Click();
    for (const QString& name : names(5))
        EXPECT_TRUE(host.layerOn(name)) << name.toStdString();
}

TEST_F(BulkSwitching, BeforeTheFirstRefreshNothingChanges)
{
    ListFixture f(names(3));
    f.select({0});
    f.commands.CmdAllHide_Click();
    f.commands.CmdSelectHide_Click();
    EXPECT_TRUE(host.layerOn("L1"));
    EXPECT_EQ(regens, 0);
}

TEST_F(BulkSwitching, CountsCoverBothListsAndEveryObject)
{
    const acad::NameList all{QString(), "L1", "L2", "L3", "L4", "L5"};
    const acad::NameList shown{QString(), "L2", "L4"};
    const viewer::LayerCountTexts texts = viewer::pr_subLayerCountText(host.document, all, shown);
    EXPECT_EQ(texts.all, QStringLiteral("全ての画層\r\n画層数:5 ｵﾌﾞｼﾞｪｸﾄ数:5"));
    EXPECT_EQ(texts.part, QStringLiteral("表示中の画層\r\n画層数:2 ｵﾌﾞｼﾞｪｸﾄ数:2"));
}

TEST(BulkCommandsOnTheHost, LayersAreWrittenInOrderThenEveryViewportRegenerated)
{
    auto host = std::make_shared<testing_surface::Host>();
    using testing_surface::layerRecord;
    host->layers = {layerRecord("0"), layerRecord("A"), layerRecord("B"), layerRecord("C")};
    ListFixture f({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}, testing_surface::makeDocument(host));

    f.select({2, 0});
    f.commands.CmdSelectHide_Click();
    f.commands.CmdSelectView_Click();
    EXPECT_EQ(host->writes(), (QStringList{"Layer.SetLayerOn(A,0)", "Layer.SetLayerOn(C,0)", "Document.Regen(1)",
                                           "Layer.SetLayerOn(A,1)", "Layer.SetLayerOn(C,1)", "Document.Regen(1)"}));

    // Show and hide all go through the drawing's layer collection, tile or not.
    host->calls.clear();
    f.commands.CmdAllHide_Click();
    f.commands.CmdAllView_Click();
    EXPECT_EQ(host->writes(),
              (QStringList{"Layer.SetLayerOn(0,0)", "Layer.SetLayerOn(A,0)", "Layer.SetLayerOn(B,0)",
                           "Layer.SetLayerOn(C,0)", "Document.Regen(1)", "Layer.SetLayerOn(0,1)",
                           "Layer.SetLayerOn(A,1)", "Layer.SetLayerOn(B,1)", "Layer.SetLayerOn(C,1)",
                           "Document.Regen(1)"}));
}
