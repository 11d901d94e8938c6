#include "JapaneseText.h"
#include "QtPrinters.h"
#include "RecordingSurface.h"
#include "TestDrawing.h"

#include "tile/StatePictures.h"
#include "tile/TileGeometry.h"
#include "tile/WmfImage.h"
#include "tile/clsDWF.h"
#include "viewer/HostSession.h"
#include "viewer/TileCommands.h"
#include "viewer/TileGrid.h"

#include "acad/AcadError.h"
#include "acad/AciColors.h"
#include "app/Twips.h"
#include "app/RecordingUserInterface.h"
#include "app/WindowHelpers.h"
#include "cad/CadDocument.h"

#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace testing_support;
using tile::clsDWF;
using tile::StatePicture;
using viewer::TileCommands;

namespace {

/// The tile area of the main window: a real tile grid over one tile per
/// layer (built as the refresh builds them, with their commands), the layer
/// list, the double-click options and a session with three linetypes.
class TileWindow {
public:
    TileWindow(const acad::DocumentPtr& document, const QStringList& names)
    {
        session.sLineTypeList = acad::emptyNameList();
        session.sLineTypeList << QStringLiteral("CONTINUOUS") << QStringLiteral("DASHED") << QStringLiteral("CENTER");
        session.lnAcadHwnd = 4711;
        area.resize(9000, 7000);
        makeCurrent.setChecked(true);
        list.addItems(names);
        grid.setSession(&session);
        grid.setDocument(document);
        grid.setAreaWidth(8000);
        QObject::connect(&grid, &viewer::TileGrid::tileCreated,
                         [this](clsDWF* created) { TileCommands::attach(created, grid); });
        grid.pr_subCreateTiles(acad::emptyNameList() + names, {});
        grid.pr_subReadTileStates({});
        grid.setTileReady(true);
        grid.setRefreshDone(true);
    }

    clsDWF& tileAt(int index) { return *grid.oDWF(index); }
    void chooseExclusiveView() { exclusiveView.setChecked(true); }
    int recordedSteps() { return grid.layerUndoHistory().size(); }

    QWidget area;
    QScrollBar scrollBar;
    QListWidget list;
    QWidget options;
    QRadioButton makeCurrent{&options};
    QRadioButton exclusiveView{&options};
    viewer::HostSession session{nullptr};
    viewer::TileGrid grid{{&area, &scrollBar, &list, &makeCurrent, &exclusiveView}};
};

/// Windows of another process, as the window helpers reach them.
class RecordingWindows : public app::ExternalWindows {
public:
    qint64 findWindow(const QString&) override { return 0; }
    bool raiseWindow(qint64 handle) override
    {
        raised.append(handle);
        return true;
    }
    QList<qint64> raised;
};

class TileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QList<TestLayer> layers = numberedLayers(4);
        layers[2].frozen = true;   // L3
        layers[3].on = false;      // L4
        layers[3].lines = 3;
        writeTestDrawing(dir.filePath("d.dxf"), layers, QStringLiteral("L1"));
        host = openTestHost(dir.filePath("d.dxf"));
        QObject::connect(&host.drawing(), &cad::CadDocument::regenerated, [this] { ++regens; });
        window = std::make_unique<TileWindow>(host.document, QStringList{"L1", "L2", "L3", "L4"});
        app::setExternalWindows(windows);
        recorder.clearRecord();
    }
    void TearDown() override { app::setExternalWindows(nullptr); }

    const cad::LayerRecord& layer(const QString& name)
    {
        return host.drawing().layer(host.drawing().layerIndex(name));
    }
    QString currentLayer() { return host.drawing().layer(host.drawing().currentLayer()).name; }
    static QString picture(tile::ImageButton* button) { return button->pictureName(); }

    app::RecordingUserInterface recorder;
    app::ScopedUi scoped{recorder};
    QTemporaryDir dir;
    TestHost host;
    std::unique_ptr<TileWindow> window;
    std::shared_ptr<RecordingWindows> windows = std::make_shared<RecordingWindows>();
    int regens = 0;
};

} // namespace

TEST_F(TileCommandsTest, OnOffButtonSwitchesTheLayerAndASecondClickRestoresIt)
{
    clsDWF& t = window->tileAt(2);
    emit t.pr_oCmdView_Click();
    EXPECT_FALSE(layer("L2").on);
    EXPECT_FALSE(t.bLayerOn());
    EXPECT_EQ(picture(t.CmdView()), tile::statePictureName(StatePicture::ViewOff));
    EXPECT_EQ(regens, 1);

    emit t.pr_oCmdView_Click();
    EXPECT_TRUE(layer("L2").on);
    EXPECT_EQ(picture(t.CmdView()), tile::statePictureName(StatePicture::ViewOn));
    EXPECT_EQ(regens, 2);
    EXPECT_TRUE(recorder.messages().isEmpty());
}

TEST_F(TileCommandsTest, FreezeAndLockTouchOnlyTheirOwnTile)
{
    clsDWF& t = window->tileAt(2);
    // Switched off behind the tiles' back: no tile re-reads its layer.
    host.drawing().setLayerOn(host.drawing().layerIndex("L1"), false);
    QTest::mouseClick(t.CmdFreeze(), Qt::LeftButton);
    QTest::mouseClick(t.CmdLock(), Qt::LeftButton);
    EXPECT_TRUE(layer("L2").frozen);
    EXPECT_TRUE(layer("L2").locked);
    EXPECT_EQ(picture(t.CmdFreeze()), tile::statePictureName(StatePicture::FreezeOn));
    EXPECT_EQ(picture(t.CmdLock()), tile::statePictureName(StatePicture::LockOn));
    EXPECT_EQ(regens, 2);
    EXPECT_TRUE(window->tileAt(1).bLayerOn());
    EXPECT_EQ(picture(window->tileAt(1).CmdLock()), tile::statePictureName(StatePicture::LockOff));
}

TEST_F(TileCommandsTest, ButtonsDoNothingDuringARefreshOrWhileTheTileIsRewritten)
{
    clsDWF& t = window->tileAt(1);
    window->grid.setRefreshDone(false);
    emit t.pr_oCmdView_Click();
    emit t.pr_oCmdFreeze_Click();
    emit t.pr_oCmdLock_Click();
    window->grid.setRefreshDone(true);
    t.SetEnableEvent(false);
    emit t.pr_oCmdView_Click();
    t.CboLineType()->setCurrentText(QStringLiteral("DASHED"));
    emit t.pr_oCboLineType_Click();
    t.SetEnableEvent(true);

    EXPECT_TRUE(layer("L1").on);
    EXPECT_FALSE(layer("L1").locked);
    EXPECT_EQ(layer("L1").linetype.toUpper(), QStringLiteral("CONTINUOUS"));
    EXPECT_TRUE(t.bLayerOn());
    EXPECT_EQ(regens, 0);
}

TEST_F(TileCommandsTest, ALayerGoneFromTheDrawingGivesTheStaleTileMessage)
{
    clsDWF& t = window->tileAt(2);
    host.drawing().setLayerName(host.drawing().layerIndex("L2"), QStringLiteral("renamed"));
    emit t.pr_oCmdLock_Click();

    ASSERT_EQ(recorder.messages().size(), 1);
    const auto message = recorder.messages()[0];
    EXPECT_EQ(message.text, QStringLiteral("前回更新した後にAutoCAD側で画層の追加・削除\r"
                                           "又は線種の追加・削除をした可能性がある為更新ボタンで再度更新して下さい。"));
    EXPECT_EQ(message.icon, app::MsgIcon::Critical);
    EXPECT_EQ(message.caption, QStringLiteral("Kasanemi Ver4.00"));
    EXPECT_EQ(picture(t.CmdLock()), tile::statePictureName(StatePicture::LockOff));
    // The flag keeps telling the truth: the layer was never locked.
    EXPECT_FALSE(t.bLock());
    EXPECT_EQ(regens, 0);

    // The other handlers say the same.
    emit t.pr_oCmdView_Click();
    emit t.pr_oCmdFreeze_Click();
    emit t.pr_oImgOne_DblClick();
    EXPECT_EQ(recorder.messages().size(), 4);
    for (const auto& m : recorder.messages())
        EXPECT_EQ(m.text, message.text);
}

TEST_F(TileCommandsTest, ARefusedChangeIsReportedAndTheNextClickTriesItAgain)
{
    // L1 is the current layer: the host refuses to freeze it.
    clsDWF& t = window->tileAt(1);
    emit t.pr_oCmdFreeze_Click();
    ASSERT_EQ(recorder.messages().size(), 1);
    EXPECT_TRUE(recorder.messages()[0].text.startsWith(
        QStringLiteral("予期せぬエラーが pr_oCmdFreeze_Click で発生しました。\r番号：%1\r内容：")
            .arg(acad::error::kCurrentLayerFrozen)));
    // The host's number stays; what the box says is Japanese.
    const QString text = recorder.messages()[0].text;
    EXPECT_TRUE(testsupport::describedInJapanese(text.mid(text.indexOf(QStringLiteral("内容：")) + 3)))
        << text.toStdString();
    EXPECT_EQ(recorder.messages()[0].icon, app::MsgIcon::Critical);
    EXPECT_FALSE(t.bAllViewportFreaze());
    EXPECT_EQ(picture(t.CmdFreeze()), tile::statePictureName(StatePicture::FreezeOff));

    emit t.pr_oCmdFreeze_Click();
    EXPECT_EQ(recorder.messages().size(), 2);
    EXPECT_FALSE(layer("L1").frozen);
    // A refused change is nothing to take back.
    EXPECT_EQ(window->recordedSteps(), 0);
}

TEST_F(TileCommandsTest, LinetypeChoiceGoesToTheDrawingAndTheBoxKeepsIt)
{
    clsDWF& t = window->tileAt(2);
    QComboBox* box = t.CboLineType();
    box->setCurrentText(QStringLiteral("DASHED"));
    emit t.pr_oCboLineType_Click();
    EXPECT_EQ(layer("L2").linetype.toUpper(), QStringLiteral("DASHED"));
    EXPECT_EQ(box->currentText(), QStringLiteral("DASHED"));
    EXPECT_EQ(regens, 1);
    EXPECT_TRUE(recorder.messages().isEmpty());

    // A linetype missing from the drawing is the stale-tile case too.
    box->addItem(QStringLiteral("NOSUCH"));
    box->setCurrentText(QStringLiteral("NOSUCH"));
    emit t.pr_oCboLineType_Click();
    ASSERT_EQ(recorder.messages().size(), 1);
    EXPECT_TRUE(recorder.messages()[0].text.startsWith(QStringLiteral("前回更新した後に")));
    EXPECT_EQ(layer("L2").linetype.toUpper(), QStringLiteral("DASHED"));
}

TEST_F(TileCommandsTest, ColourSwatchClickChangesNothing)
{
    clsDWF& t = window->tileAt(2);
    const QColor before = t.CmdColor()->fillColor();
    QTest::mouseClick(t.CmdColor(), Qt::LeftButton);
    EXPECT_EQ(t.CmdColor()->fillColor(), before);
    EXPECT_EQ(regens, 0);
    EXPECT_FALSE(host.drawing().isModified());
}

TEST_F(TileCommandsTest, DoubleClickMakesAThawedLayerCurrentAndBringsTheHostForward)
{
    clsDWF& t = window->tileAt(2);
    emit t.pr_oImgOne_DblClick();
    EXPECT_EQ(currentLayer(), QStringLiteral("L2"));
    EXPECT_EQ(windows->raised, QList<qint64>{4711});
    EXPECT_EQ(regens, 0);
    // The red bar moved to this tile.
    EXPECT_EQ(t.FraBar()->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_NE(window->tileAt(1).FraBar()->palette().color(QPalette::Window), QColor(255, 0, 0));
}

TEST_F(TileCommandsTest, DoubleClickOnAFrozenLayerRefusesAndKeepsTheCurrentLayer)
{
    emit window->tileAt(3).pr_oImgOne_DblClick();
    ASSERT_EQ(recorder.messages().size(), 1);
    EXPECT_EQ(recorder.messages()[0].text, QStringLiteral("フリーズされた画層をアクティブにすることはできません\r"));
    EXPECT_EQ(recorder.messages()[0].icon, app::MsgIcon::Exclamation);
    EXPECT_EQ(currentLayer(), QStringLiteral("L1"));
    EXPECT_TRUE(windows->raised.isEmpty());
}

TEST_F(TileCommandsTest, ExclusiveViewLeavesOnlyThisLayerOnAndEveryBulbUpdated)
{
    window->chooseExclusiveView();
    emit window->tileAt(4).pr_oImgOne_DblClick();
    for (const char* name : {"L1", "L2", "L3"})
        EXPECT_FALSE(layer(name).on) << name;
    EXPECT_TRUE(layer("L4").on);
    EXPECT_TRUE(layer("L3").frozen); // freeze states stay
    EXPECT_EQ(regens, 1);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(picture(window->tileAt(i).CmdView()),
                  tile::statePictureName(i == 4 ? StatePicture::ViewOn : StatePicture::ViewOff))
            << i;
    EXPECT_EQ(currentLayer(), QStringLiteral("L1"));
}

TEST_F(TileCommandsTest, ExclusiveViewOfAStaleTilePutsTheLayersBack)
{
    window->chooseExclusiveView();
    host.drawing().setLayerName(host.drawing().layerIndex("L2"), QStringLiteral("renamed"));
    emit window->tileAt(2).pr_oImgOne_DblClick();
    ASSERT_EQ(recorder.messages().size(), 1);
    EXPECT_TRUE(recorder.messages()[0].text.startsWith(QStringLiteral("前回更新した後に")));
    EXPECT_TRUE(layer("L1").on);
    EXPECT_TRUE(layer("renamed").on);
    EXPECT_TRUE(layer("L3").on);
    EXPECT_FALSE(layer("L4").on);
}

TEST_F(TileCommandsTest, PressWithShiftAloneKeepsTheOtherSelectionsAndCtrlDoesNot)
{
    clsDWF& first = window->tileAt(1);
    clsDWF& second = window->tileAt(2);
    QTest::mousePress(first.ImgOne(), Qt::LeftButton);
    QTest::mouseRelease(first.ImgOne(), Qt::LeftButton);
    EXPECT_TRUE(first.bSelect());
    // The selected look: dark blue name box, lettered in the window background.
    EXPECT_EQ(first.TxtOne()->palette().color(QPalette::Base), QColor(0, 0, 128));
    EXPECT_EQ(first.TxtOne()->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Base));

    QTest::mousePress(second.ImgOne(), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_TRUE(second.bSelect());
    EXPECT_TRUE(first.bSelect());
    QTest::mouseRelease(second.ImgOne(), Qt::LeftButton, Qt::ShiftModifier);

    // The click that follows a press selects the list entry alone, which
    // (through the list's handling in the main window) recolours the tiles;
    // here only the press's own effect is looked at.
    emit second.pr_oImgOne_MouseDown(Qt::LeftButton, 2, QPointF());
    EXPECT_FALSE(second.bSelect()); // the press toggles the look
    EXPECT_FALSE(first.bSelect());
    EXPECT_EQ(first.TxtOne()->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(first.TxtOne()->palette().color(QPalette::Text), QApplication::palette().color(QPalette::Text));

    first.SelectView();
    emit second.pr_oImgOne_MouseDown(Qt::LeftButton, 1 | 2, QPointF()); // Shift with Ctrl is not Shift alone
    EXPECT_FALSE(first.bSelect());
}

TEST_F(TileCommandsTest, ClickSelectsTheTilesListEntryAloneAndRaisesTheListHandling)
{
    window->list.item(0)->setSelected(true);
    window->list.item(3)->setSelected(true);
    int handlingRuns = 0;
    QObject::connect(&window->list, &QListWidget::itemSelectionChanged, [&] { ++handlingRuns; });

    emit window->tileAt(3).pr_oImgOne_Click();
    EXPECT_EQ(window->list.currentRow(), 2);
    ASSERT_EQ(window->list.selectedItems().size(), 1);
    EXPECT_EQ(window->list.selectedItems()[0]->text(), QStringLiteral("L3"));
    EXPECT_EQ(handlingRuns, 1);

    // Already the only selected entry: the handling still runs.
    emit window->tileAt(3).pr_oImgOne_Click();
    EXPECT_EQ(handlingRuns, 2);
}

TEST_F(TileCommandsTest, EachCommandWritesItsOwnChangeThenRegeneratesEveryViewport)
{
    auto recording = std::make_shared<testing_surface::Host>();
    using testing_surface::layerRecord;
    recording->layers = {layerRecord("L1"), layerRecord("L2"), layerRecord("L3")};
    TileWindow onHost(testing_surface::makeDocument(recording), {"L1", "L2", "L3"});
    clsDWF& t = onHost.tileAt(2);
    recording->calls.clear();

    emit t.pr_oCmdView_Click();
    emit t.pr_oCmdFreeze_Click();
    emit t.pr_oCmdLock_Click();
    t.CboLineType()->setCurrentText(QStringLiteral("DASHED"));
    emit t.pr_oCboLineType_Click();
    emit t.pr_oImgOne_DblClick(); // make current: no regeneration
    onHost.chooseExclusiveView();
    emit t.pr_oImgOne_DblClick(); // exclusive view: every layer off in table order, then this one on
    EXPECT_TRUE(recorder.messages().isEmpty());
    EXPECT_EQ(recording->writes(),
              (QStringList{"Layer.SetLayerOn(L2,0)", "Document.Regen(1)", "Layer.SetFreeze(L2,1)", "Document.Regen(1)",
                           "Layer.SetLock(L2,1)", "Document.Regen(1)", "Layer.SetLinetype(L2,DASHED)",
                           "Document.Regen(1)", "Document.SetActiveLayer(L2)", "Layer.SetLayerOn(L1,0)",
                           "Layer.SetLayerOn(L2,0)", "Layer.SetLayerOn(L3,0)", "Layer.SetLayerOn(L2,1)",
                           "Document.Regen(1)"}));
}

TEST_F(TileCommandsTest, EveryPaletteColourStandsOutOnTheTilesPictureGroundAndTheSwatchIsOutlined)
{
    clsDWF& t = window->tileAt(1);  // L1: colour 7, nothing drawn in its picture
    const QImage frame = t.FraOne()->grab().toImage();
    const auto pixelAt = [&](double xTwips, double yTwips) {
        return frame.pixelColor(app::twipsToPixels(xTwips), app::twipsToPixels(yTwips));
    };
    const QColor ground = pixelAt(tile::kPictureBox.left + tile::kPictureBox.width / 2,
                                  tile::kPictureBox.top + tile::kPictureBox.height / 2);
    // The frame keeps its grey round the picture area.
    EXPECT_EQ(pixelAt(tile::kFrameWidth - 10, tile::kFrameHeight / 2), QColor(128, 128, 128));

    // Pictures draw colours 7 and 255 (white) black, every other index as the palette gives it.
    for (int index = 1; index <= 255; ++index) {
        const QColor ink = index == 7 || index == 255 ? QColor(Qt::black)
                                                       : QColor::fromRgb(acad::ColorIndexToRgb(index));
        const int difference = std::max({std::abs(ink.red() - ground.red()), std::abs(ink.green() - ground.green()),
                                         std::abs(ink.blue() - ground.blue())});
        EXPECT_GE(difference, 40) << "colour " << index << " on the ground " << ground.name().toStdString();
    }

    // The white swatch on the white bar has an outline; its inside keeps the layer's colour.
    const QImage swatch = t.CmdColor()->grab().toImage();
    EXPECT_EQ(swatch.pixelColor(swatch.width() / 2, swatch.height() / 2), QColor(Qt::white));
    EXPECT_NE(swatch.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_NE(swatch.pixelColor(swatch.width() - 1, swatch.height() - 1), QColor(Qt::white));
}

TEST_F(TileCommandsTest, ReadingALayerAgainShowsWhatChangedWhateverTheLinetypesCase)
{
    // A re-read leaves alone what did not change: the faces, the swatch and
    // a linetype the box shows already, in whatever case the drawing spells it.
    clsDWF& t = window->tileAt(2);
    acad::LayerSnapshot state;
    state.sLayerName = QStringLiteral("L2");
    state.bLayerOn = acad::vbTrue;
    state.lnColor = 7;
    state.sLineType = QStringLiteral("dashed");
    t.SetLayerState(state);
    EXPECT_EQ(t.CboLineType()->currentText(), QStringLiteral("DASHED"));
    EXPECT_EQ(picture(t.CmdView()), tile::statePictureName(StatePicture::ViewOn));
    const QColor white = t.CmdColor()->fillColor();

    t.SetLayerState(state);
    EXPECT_EQ(t.CboLineType()->currentText(), QStringLiteral("DASHED"));
    EXPECT_EQ(t.CmdColor()->fillColor(), white);

    state.bLayerOn = acad::vbFalse;
    state.bLock = acad::vbTrue;
    state.lnColor = 1;
    state.sLineType = QStringLiteral("Center");
    t.SetLayerState(state);
    EXPECT_EQ(t.CboLineType()->currentText(), QStringLiteral("CENTER"));
    EXPECT_EQ(picture(t.CmdView()), tile::statePictureName(StatePicture::ViewOff));
    EXPECT_EQ(picture(t.CmdLock()), tile::statePictureName(StatePicture::LockOn));
    EXPECT_EQ(t.CmdColor()->fillColor(), QColor::fromRgb(acad::ColorIndexToRgb(1)));
    EXPECT_EQ(t.CmdColor()->palette().color(QPalette::Window), QColor::fromRgb(acad::ColorIndexToRgb(1)));
    EXPECT_TRUE(recorder.messages().isEmpty());
}
