#include "QtPrinters.h"
#include "RecordingSurface.h"
#include "TestDrawing.h"
#include "viewer/BulkCommands.h"

#include "app/RecordingUserInterface.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace testing_support;
using viewer::BulkCommands;
using viewer::listClickScrollValue;

namespace {

/// The tile array and grid as the list handling sees them: one record per
/// tile slot, frames that can be hidden, and a scroll bar.
class SimpleTileGrid : public viewer::TileGrid {
public:
    struct Tile {
        QString name;   // the name box text
        int frame;      // the frame's number, fixed at creation
        int index;      // the index the tile was last told
        bool selected = false;
    };

    explicit SimpleTileGrid(const QStringList& names)
    {
        for (int i = 0; i < names.size(); ++i)
            tiles.push_back(Tile{names[i], i + 1, i + 1});
        frameHidden.assign(names.size() + 1, false);
    }

    int tileCount() const override { return int(tiles.size()); }
    int tileRow(int index) const override { return rows.value(index, 1); }
    void setTileSelected(int index, bool selected) override { tiles.at(index - 1).selected = selected; }
    void hideTileFrame(int index) override { frameHidden.at(tiles.at(index - 1).frame) = true; }
    void removeTile(int index) override
    {
        tiles.erase(tiles.begin() + (index - 1));
        for (size_t k = index - 1; k < tiles.size(); ++k)
            tiles[k].index = int(k) + 1;
    }
    void relayout() override { ++relayouts; }
    void updateTileStates() override { ++stateUpdates; }
    QSizeF windowSizeTwips() const override { return window; }
    QSizeF firstFrameSizeTwips() const override { return QSizeF(2565, 3015); }
    int scrollValue() const override { return scroll; }
    void setScrollValue(int value) override { scroll = value; }

    std::vector<Tile> tiles;
    std::vector<bool> frameHidden; // by frame number; [0] unused
    QHash<int, int> rows;
    QSizeF window{8000, 12500};
    int scroll = 1;
    int relayouts = 0;
    int stateUpdates = 0;
};

QListWidget* listOf(const QStringList& names)
{
    auto* list = new QListWidget;
    list->addItems(names);
    return list;
}

struct ListFixture {
    explicit ListFixture(const QStringList& names, acad::DocumentPtr document = nullptr)
        : list(listOf(names)), grid(names), doc(std::move(document)),
          commands(list.get(), grid, [this] { return doc; },
                   [this](const acad::DocumentPtr& d, const acad::NameList& n) {
                       exported.append(n);
                       exportedDoc = d;
                   })
    {
    }
    void select(std::initializer_list<int> rows)
    {
        list->clearSelection();
        for (int row : rows)
            list->item(row)->setSelected(true);
    }

    std::unique_ptr<QListWidget> list;
    SimpleTileGrid grid;
    acad::DocumentPtr doc;
    QList<acad::NameList> exported;
    acad::DocumentPtr exportedDoc;
    BulkCommands commands;
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
    f.grid.rows[25] = 9;
    f.select({24, 2});
    f.list->setCurrentRow(24, QItemSelectionModel::Select);
    EXPECT_EQ(f.grid.scroll, 7);
    for (const auto& tile : f.grid.tiles)
        EXPECT_EQ(tile.selected, tile.index == 25 || tile.index == 3) << tile.index;
}

TEST(LayerList, EveryProgrammaticSelectionChangeRunsTheHandling)
{
    ListFixture f(names(5));
    f.list->item(3)->setSelected(true);
    EXPECT_TRUE(f.grid.tiles[3].selected);
    f.list->clearSelection();
    EXPECT_FALSE(f.grid.tiles[3].selected);
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
    for (const auto& tile : f.grid.tiles)
        EXPECT_TRUE(tile.selected) << tile.index;
}

TEST(RemoveCommand, ThreeSelectedOfThreeKeepsTheFirst)
{
    ListFixture f(names(3));
    f.select({0, 1, 2});
    f.commands.CmdSelectRemove_Click();

    ASSERT_EQ(f.list->count(), 1);
    EXPECT_EQ(f.list->item(0)->text(), QStringLiteral("L1"));
    ASSERT_EQ(f.grid.tileCount(), 1);
    EXPECT_EQ(f.grid.tiles[0].name, QStringLiteral("L1"));
    EXPECT_EQ(f.grid.tiles[0].index, 1);
    EXPECT_FALSE(f.grid.frameHidden[1]);
    EXPECT_TRUE(f.grid.frameHidden[2]);
    EXPECT_TRUE(f.grid.frameHidden[3]);
    EXPECT_EQ(f.grid.relayouts, 1);
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
        EXPECT_EQ(f.grid.tiles[size_t(i)].name, f.list->item(i)->text());
        EXPECT_EQ(f.grid.tiles[size_t(i)].index, i + 1);
    }
    EXPECT_TRUE(f.grid.frameHidden[1]);
    EXPECT_EQ(std::count(f.grid.frameHidden.begin(), f.grid.frameHidden.end(), true), 1);
    EXPECT_EQ(f.grid.relayouts, 1);
}

TEST(RemoveCommand, ALayerListedTwiceKeepsItsOtherTileInView)
{
    // A list file may name a layer twice; dropping one of its tiles must not
    // hide the other.
    ListFixture f({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")});
    f.select({2});
    f.commands.CmdSelectRemove_Click();

    ASSERT_EQ(f.grid.tileCount(), 2);
    EXPECT_FALSE(f.grid.frameHidden[1]);
    EXPECT_TRUE(f.grid.frameHidden[3]);
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
    app::RecordingUserInterface recorder;
    app::ScopedUi scoped(recorder);
    ListFixture f(names(4));
    f.commands.CmdExcel_Click();
    ASSERT_EQ(recorder.messages().size(), 1);
    EXPECT_EQ(recorder.messages()[0].text,
              QStringLiteral("図面更新ボタン（ビックリマーク）で図面を読み込んでから実行してください。"));
    EXPECT_EQ(recorder.messages()[0].icon, app::MsgIcon::Exclamation);
    EXPECT_EQ(recorder.messages()[0].caption, QStringLiteral("Kasanemi Ver4.00"));
    EXPECT_TRUE(f.exported.isEmpty());

    QTemporaryDir dir;
    writeTestDrawing(dir.filePath("d.dxf"), numberedLayers(4), QStringLiteral("L1"));
    f.doc = openTestHost(dir.filePath("d.dxf")).document;
    f.commands.CmdExcel_Click();
    ASSERT_EQ(f.exported.size(), 1);
    EXPECT_EQ(f.exported[0], acad::emptyNameList());
    EXPECT_EQ(f.exportedDoc, f.doc);

    f.select({3, 1});
    f.commands.CmdExcel_Click();
    EXPECT_EQ(f.exported[1], (QStringList{QString(), QStringLiteral("L2"), QStringLiteral("L4")}));
    EXPECT_EQ(recorder.messages().size(), 1);
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
    EXPECT_EQ(f.grid.stateUpdates, 1);

    f.select({0, 1, 2});
    f.commands.CmdSelectView_Click();
    EXPECT_TRUE(host.layerOn("L1"));
    EXPECT_TRUE(host.layerOn("L3"));
    EXPECT_EQ(regens, 2);
    EXPECT_EQ(f.grid.stateUpdates, 2);
}

TEST_F(BulkSwitching, HideAllSwitchesOffTheCurrentLayerAndLayersWithoutTiles)
{
    ListFixture f({QStringLiteral("L2")}, host.document);
    f.commands.CmdAllHide_Click();
    for (const QString& name : names(5))
        EXPECT_FALSE(host.layerOn(name)) << name.toStdString();
    EXPECT_EQ(regens, 1);
    EXPECT_EQ(f.grid.stateUpdates, 1);

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
    EXPECT_EQ(f.grid.stateUpdates, 0);
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
