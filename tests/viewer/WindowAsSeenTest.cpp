// The main window as the user meets it, pinned exactly: which window is in
// front after start-up and after the toolbar's refresh, the upper band's
// layout when every layer is shown, the tiles' tooltips and picture
// placement, a click in the scroll bar's track, and the linetype box of a
// linetype the drawing gained after the refresh. Everything is found as the
// user finds it: controls by their names, toolbar buttons by their tooltips.

#include "RecordingSurface.h"
#include "ViewerFixture.h"

#include "acad/FixedHostConnector.h"
#include "app/Twips.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QTextEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace viewertest;

namespace {

const QString kFiveLayersAllOn = QStringLiteral("libredwg_example_2018.dxf");

class WindowAsSeen : public ViewerTest {
protected:
    template <typename W = QWidget>
    W* control(const QString& name) const
    {
        W* found = window->findChild<W*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }

    /// The toolbar button the user knows by its tooltip.
    QAction* toolbarButton(const QString& tooltip) const
    {
        for (QAction* action : window->findChildren<QAction*>())
            if (action->toolTip() == tooltip)
                return action;
        ADD_FAILURE() << "no toolbar button " << tooltip.toStdString();
        return nullptr;
    }

    void refresh(const QString& drawing, bool visibleOnly = false)
    {
        openDrawing(drawing);
        control<QCheckBox>(QStringLiteral("ChkViewOnly"))->setChecked(visibleOnly);
        window->CmdRefresh_Click();
        ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    }

    int tileCount() const
    {
        int n = 0;
        while (window->findChild<QFrame*>(QStringLiteral("FraOne%1").arg(n + 1)))
            ++n;
        return n;
    }

    /// Another top-level window of the desktop, which takes the focus
    /// whenever `stealFocusSoon` lets it.
    void stealFocusSoon()
    {
        if (!other) {
            other = std::make_unique<QWidget>();
            other->setWindowTitle(QStringLiteral("another program"));
            other->resize(200, 100);
            other->show();
        }
        QTimer::singleShot(0, other.get(), [this] { other->activateWindow(); });
    }
    /// The window in front once every pending window-system event has run.
    static QWidget* activeWindow()
    {
        QCoreApplication::processEvents();
        return QApplication::activeWindow();
    }

    /// Gives the window a recording host holding `layers` (the first one
    /// current), whose drawing has been saved.
    std::shared_ptr<testing_surface::Host> useRecordingHost(const QStringList& layers)
    {
        auto host = std::make_shared<testing_surface::Host>();
        QFile saved(home.filePath(QStringLiteral("a.dxf")));
        EXPECT_TRUE(saved.open(QIODevice::WriteOnly));
        host->fullName = saved.fileName();
        for (const QString& name : layers)
            host->layers.push_back(testing_surface::layerRecord(name));
        host->linetypes = {QStringLiteral("ByBlock"), QStringLiteral("ByLayer"), QStringLiteral("Continuous")};
        window->setHostConnector(std::make_shared<acad::FixedHostConnector>(testing_surface::makeApplication(host)));
        return host;
    }

    std::unique_ptr<QWidget> other;
};

TEST_F(WindowAsSeen, StartUpBringsTheWindowToTheFrontAfterItsEventsRan)
{
    // Another window takes the focus while the starting window lets its
    // pending events run; start-up then brings the viewer to the front.
    stealFocusSoon();
    frmWMF started;
    started.Form_Load(QString());
    EXPECT_EQ(activeWindow(), &started);
    started.close();
}

TEST_F(WindowAsSeen, TheToolbarsRefreshLeavesTheWindowEnabledAndInFront)
{
    openDrawing(kFiveLayersAllOn);
    QAction* refreshButton = toolbarButton(QStringLiteral("更新（アクティブ図面の画像を読み込みます）"));
    ASSERT_NE(refreshButton, nullptr);
    bool enabledWhileRunning = true;
    QTimer::singleShot(0, window.get(), [&] { enabledWhileRunning = window->isEnabled(); });
    stealFocusSoon();  // the user clicks elsewhere while the refresh runs
    refreshButton->trigger();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(tileCount(), 5);
    EXPECT_FALSE(enabledWhileRunning);
    EXPECT_TRUE(window->isEnabled());
    EXPECT_EQ(activeWindow(), window.get());
}

TEST_F(WindowAsSeen, EveryLayerShownKeepsTheSinglePaneBandWhateverChoseThem)
{
    const auto expectBand = [&](bool secondPane, const char* when) {
        SCOPED_TRACE(when);
        const int listLeft = secondPane ? 5760 : 2970;
        const int optionsLeft = secondPane ? 8610 : 5820;
        EXPECT_EQ(control(QStringLiteral("LstLayers"))->x(), app::twipsToPixels(listLeft));
        EXPECT_EQ(control(QStringLiteral("FraPart"))->isVisibleTo(window.get()), secondPane);
        EXPECT_EQ(control(QStringLiteral("FraViewDblClick"))->x(), app::twipsToPixels(optionsLeft));
        EXPECT_EQ(control(QStringLiteral("ChkViewOnly"))->x(), app::twipsToPixels(optionsLeft));
    };
    // Visible layers only, while every layer is on: both lists hold every
    // layer, so the band is the one of the whole drawing.
    refresh(kFiveLayersAllOn, true);
    ASSERT_EQ(control<QListWidget>(QStringLiteral("LstLayers"))->count(), 5);
    expectBand(false, "visible only, every layer on");

    // One layer switched off: the second pane appears beside the first.
    cad::CadDocument& drawing = document();
    drawing.setLayerOn(drawing.currentLayer() == 1 ? 2 : 1, false);
    window->CmdRefresh_Click();
    ASSERT_EQ(control<QListWidget>(QStringLiteral("LstLayers"))->count(), 4);
    expectBand(true, "visible only, one layer off");

    // Unchecked: every layer again, one pane.
    control<QCheckBox>(QStringLiteral("ChkViewOnly"))->setChecked(false);
    window->CmdRefresh_Click();
    expectBand(false, "every layer");

    // A list file: what counts is how many names it gives, not which.
    const auto startWithList = [&](const QStringList& names) {
        const QString listPath = home.filePath(QStringLiteral("list.csv"));
        QFile list(listPath);
        ASSERT_TRUE(list.open(QIODevice::WriteOnly | QIODevice::Truncate));
        list.write(names.join(QStringLiteral("\r\n")).toUtf8());
        list.close();
        window->Form_Load(listPath);  // a start with a list file refreshes at once
        ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    };
    QStringList names;
    for (int i = 0; i < drawing.layerCount(); ++i)
        names << drawing.layer(i).name;
    startWithList(names.mid(0, 3));
    expectBand(true, "a list of three of the five layers");
    startWithList(names.mid(0, 4) << names[0]);
    expectBand(false, "a list of five names, one of them twice");
}

TEST_F(WindowAsSeen, TilesTellTheirNumberAndWhatADoubleClickOnThePictureDoes)
{
    refresh(kFiveLayersAllOn);
    ASSERT_EQ(tileCount(), 5);
    for (int i = 1; i <= 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(control(QStringLiteral("ImgOne%1").arg(i))->toolTip(),
                  QStringLiteral("ダブルクリックにてオプション設定の動作を行います"));
        EXPECT_EQ(control(QStringLiteral("TxtOne%1").arg(i))->toolTip(), QStringLiteral("No.%1").arg(i));
    }

    // Removing the first entry makes the second tile the first; its name box
    // keeps the number it was given when it was made.
    auto* list = control<QListWidget>(QStringLiteral("LstLayers"));
    list->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    QAction* remove = toolbarButton(QStringLiteral("選択したリスト及びリストに該当するビューを削除します"));
    ASSERT_NE(remove, nullptr);
    remove->trigger();
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(control(QStringLiteral("FraOne2"))->x(), app::twipsToPixels(30));
    EXPECT_EQ(control(QStringLiteral("FraOne2"))->y(), app::twipsToPixels(30));
    EXPECT_EQ(control(QStringLiteral("TxtOne2"))->toolTip(), QStringLiteral("No.2"));
}

TEST_F(WindowAsSeen, CountStripsAndNameBoxesTakeNoTyping)
{
    refresh(kFiveLayersAllOn, true);  // every count strip gets its text
    for (const QString& name : {QStringLiteral("TxtALL"), QStringLiteral("TxtPart")}) {
        auto* strip = control<QTextEdit>(name);
        const QString before = strip->toPlainText();
        ASSERT_FALSE(before.isEmpty()) << name.toStdString();
        QTest::keyClicks(strip, QStringLiteral("x"));
        EXPECT_EQ(strip->toPlainText(), before) << name.toStdString();
        QTest::keyClick(strip, Qt::Key_Delete);
        EXPECT_EQ(strip->toPlainText(), before) << name.toStdString();
    }
    for (int i = 1; i <= tileCount(); ++i) {
        auto* nameBox = control<QLineEdit>(QStringLiteral("TxtOne%1").arg(i));
        const QString before = nameBox->text();
        nameBox->end(false);
        QTest::keyClicks(nameBox, QStringLiteral("x"));
        EXPECT_EQ(nameBox->text(), before) << i;
        QTest::keyClick(nameBox, Qt::Key_Backspace);
        EXPECT_EQ(nameBox->text(), before) << i;
    }
}

TEST_F(WindowAsSeen, TilePicturesSitCentredBetweenTheNameBoxAndTheButtonBar)
{
    refresh(kFiveLayersAllOn);
    for (int i = 1; i <= tileCount(); ++i) {
        SCOPED_TRACE(i);
        const QWidget* picture = control(QStringLiteral("ImgOne%1").arg(i));
        const QWidget* nameBox = control(QStringLiteral("TxtOne%1").arg(i));
        const QWidget* bar = control(QStringLiteral("FraBar%1").arg(i));
        ASSERT_TRUE(picture->isVisible());
        // The frame's height less the name box and a button's height
        // (255 + 195 twips) is the picture's room, starting below the name box.
        const double room = 3015 - 255 - 195;
        const double top = (room - app::pixelsToTwips(picture->height())) / 2 + 255;
        EXPECT_NEAR(picture->y(), app::twipsToPixels(top), 1);
        EXPECT_GE(picture->y(), nameBox->geometry().bottom());
        EXPECT_LE(picture->geometry().bottom(), bar->y());
        EXPECT_NEAR(picture->x() + picture->width() / 2.0, app::twipsToPixels(2565) / 2.0, 1);
    }
}

TEST_F(WindowAsSeen, AClickInTheScrollBarsTrackMovesTheGridOneRow)
{
    refresh(kFiveLayersAllOn);
    auto* scrollBar = control<QScrollBar>(QStringLiteral("ScrBarV"));
    // 5820 wide by default: two columns, so three rows.
    ASSERT_EQ(scrollBar->maximum(), 3);
    ASSERT_EQ(scrollBar->value(), 1);
    EXPECT_EQ(scrollBar->singleStep(), 1);
    EXPECT_EQ(scrollBar->pageStep(), 1);

    scrollBar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(scrollBar->value(), 2);
    EXPECT_EQ(control(QStringLiteral("FraOne3"))->y(), app::twipsToPixels(30));
    EXPECT_EQ(control(QStringLiteral("FraOne1"))->y(), app::twipsToPixels(30 - 3115));
    scrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(scrollBar->value(), 3);
    EXPECT_EQ(control(QStringLiteral("FraOne5"))->y(), app::twipsToPixels(30));
    scrollBar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(scrollBar->value(), 2);
}

TEST_F(WindowAsSeen, ALinetypeTheDrawingGainedAfterTheRefreshShowsWhenTheTileReadsItsLayer)
{
    // A recording host, whose linetypes can change behind the viewer's back.
    const auto host = useRecordingHost({QStringLiteral("0"), QStringLiteral("A"), QStringLiteral("B")});
    window->CmdRefresh_Click();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    auto* boxOfA = control<QComboBox>(QStringLiteral("CboLineType2"));
    ASSERT_EQ(control<QLineEdit>(QStringLiteral("TxtOne2"))->text(), QStringLiteral("A"));
    ASSERT_EQ(boxOfA->findText(QStringLiteral("HIDDEN")), -1);

    // The drawing loads HIDDEN and gives it to layer A; switching every
    // layer on makes each tile read its layer again.
    host->linetypes.append(QStringLiteral("HIDDEN"));
    host->layers[1].sLineType = QStringLiteral("HIDDEN");
    QAction* allOn = toolbarButton(QStringLiteral("全ての画層を表示に設定します"));
    ASSERT_NE(allOn, nullptr);
    allOn->trigger();
    EXPECT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(boxOfA->currentText(), QStringLiteral("HIDDEN"));
    EXPECT_EQ(boxOfA->count(), 2);  // Continuous, HIDDEN
    // Showing it wrote nothing back to the drawing.
    EXPECT_FALSE(host->writes().join(' ').contains(QStringLiteral("SetLinetype")));
}

TEST_F(WindowAsSeen, TileButtonsStayQuietWhileARefreshRunsAndWorkAfterIt)
{
    const auto host = useRecordingHost({QStringLiteral("0"), QStringLiteral("A"), QStringLiteral("B")});
    window->CmdRefresh_Click();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    ASSERT_EQ(control<QLineEdit>(QStringLiteral("TxtOne1"))->text(), QStringLiteral("0"));
    host->calls.clear();
    window->CmdRefresh_Click();
    const QString refreshAlone = host->writes().join(u' ');

    // The refresh lets window events run between its steps; the user clicks
    // the first tile's bulb at every one of them, and none reaches the drawing.
    host->calls.clear();
    int clicks = 0;
    QTimer clicker;
    clicker.setInterval(0);
    QObject::connect(&clicker, &QTimer::timeout, window.get(), [&] {
        if (QWidget* bulb = window->findChild<QWidget*>(QStringLiteral("CmdView1")); bulb && bulb->isVisible()) {
            QTest::mouseClick(bulb, Qt::LeftButton);
            ++clicks;
        }
    });
    clicker.start();
    window->CmdRefresh_Click();
    clicker.stop();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_GT(clicks, 3);
    EXPECT_EQ(host->writes().join(u' ').toStdString(), refreshAlone.toStdString());
    EXPECT_EQ(host->layers[0].bLayerOn, acad::vbTrue);

    // After the refresh the same click switches the layer off at once.
    host->calls.clear();
    QTest::mouseClick(control(QStringLiteral("CmdView1")), Qt::LeftButton);
    EXPECT_EQ(host->writes().join(u' ').toStdString(), "Layer.SetLayerOn(0,0) Document.Regen(1)");
}

} // namespace
