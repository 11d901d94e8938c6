// The layer filter and the undo button inside the real main window, after a
// real refresh of a drawing in the in-process host.

#include "QtPrinters.h"
#include "ViewerFixture.h"

#include "acad/LayerWildcard.h"
#include "app/Twips.h"
#include "cad/CadDocument.h"
#include "tile/StatePictures.h"
#include "viewer/TileCommands.h"
#include "tile/clsDWF.h"
#include "viewer/LayerFilterBox.h"
#include "viewer/Toolbar1.h"

#include <QAction>
#include <QInputMethodEvent>
#include <QListWidget>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

using namespace viewertest;

namespace {

/// Everything the viewer may change in a layer, and the current layer.
struct DrawingState {
    struct Layer {
        QString name;
        bool on, frozen, locked;
        QString linetype;
        bool operator==(const Layer&) const = default;
    };
    std::vector<Layer> layers;
    QString current;
    bool operator==(const DrawingState&) const = default;
};

void PrintTo(const DrawingState& state, std::ostream* out)
{
    *out << "current " << state.current.toStdString() << ":";
    for (const DrawingState::Layer& l : state.layers)
        *out << " " << l.name.toStdString() << (l.on ? "" : "/off") << (l.frozen ? "/frozen" : "")
             << (l.locked ? "/locked" : "") << "/" << l.linetype.toStdString();
}

/// Types `text` into `box`: ASCII as key presses, anything else as the input
/// method commits it (how Japanese text arrives).
void type(QWidget& box, const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(&box, char(c.unicode()));
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QCoreApplication::sendEvent(&box, &commit);
        }
    }
}

} // namespace

class UndoAndFilter : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        // 51 layers with Japanese names in Shift_JIS; seven off, one frozen,
        // ten locked; 植栽B98 current.
        openDrawing(QStringLiteral("generated/gen_50L_5k_R2000.dxf"));
        toolbar().Toolbar1_ButtonClick(7);
        ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
        ASSERT_EQ(window->tiles().tileCount(), 51);
        ui.clearRecord();
    }

    viewer::Toolbar1& toolbar() { return *window->findChild<viewer::Toolbar1*>(QStringLiteral("Toolbar1")); }
    viewer::LayerFilterBox& filter() { return *toolbar().layerFilter(); }
    QAction& undoButton() { return *toolbar().undoButton(); }
    QListWidget& list() { return *window->LstLayers(); }
    tile::clsDWF& tileOf(const QString& name)
    {
        for (int i = 1; i <= window->tiles().tileCount(); ++i)
            if (window->tiles().oDWF(i)->sLayerName() == name)
                return *window->tiles().oDWF(i);
        throw std::runtime_error("no tile " + name.toStdString());
    }
    DrawingState state()
    {
        DrawingState s;
        for (int i = 0; i < document().layerCount(); ++i) {
            const cad::LayerRecord& l = document().layer(i);
            s.layers.push_back({l.name, l.on, l.frozen, l.locked, l.linetype.toUpper()});
        }
        s.current = document().layer(document().currentLayer()).name;
        return s;
    }
    const cad::LayerRecord& layer(const QString& name) { return document().layer(document().layerIndex(name)); }
    void setOn(const QString& name, bool on) { document().setLayerOn(document().layerIndex(name), on); }
    void undo()
    {
        ASSERT_TRUE(undoButton().isEnabled());
        undoButton().trigger();
    }
    /// Every tile shows what the drawing holds.
    void expectTilesShowTheDrawing()
    {
        for (int i = 1; i <= window->tiles().tileCount(); ++i) {
            tile::clsDWF& t = *window->tiles().oDWF(i);
            const cad::LayerRecord& l = document().layer(document().layerIndex(t.sLayerName()));
            EXPECT_EQ(t.bLayerOn(), l.on) << t.sLayerName().toStdString();
            EXPECT_EQ(t.bAllViewportFreaze(), l.frozen) << t.sLayerName().toStdString();
            EXPECT_EQ(t.CmdView()->pictureName(),
                      tile::statePictureName(l.on ? tile::StatePicture::ViewOn : tile::StatePicture::ViewOff));
        }
    }
    QStringList selectedNames()
    {
        QStringList names;
        for (int i = 0; i < list().count(); ++i)
            if (list().item(i)->isSelected())
                names << list().item(i)->text();
        return names;
    }
};

TEST_F(UndoAndFilter, TypedPatternsSelectExactlyWhatTheHostsWildcardMatches)
{
    EXPECT_EQ(filter().placeholderText(), QStringLiteral("画層名フィルタ"));
    EXPECT_TRUE(filter().toolTip().contains(QStringLiteral("[~abc]")));
    const QString statusBefore = window->StatusMain()->currentMessage();

    const std::pair<const char*, int> patterns[] = {{"*壁*", 4}, {"A-*", 4}, {"~0", 50}};
    for (const auto& [typed, expectedCount] : patterns) {
        const QString pattern = QString::fromUtf8(typed);
        filter().clear();
        filter().setFocus();
        type(filter(), pattern);
        ASSERT_EQ(filter().text(), pattern);

        const acad::LayerWildcard wildcard(pattern);
        QStringList expected;
        for (int i = 0; i < list().count(); ++i)
            if (wildcard.matches(list().item(i)->text()))
                expected << list().item(i)->text();
        EXPECT_EQ(expected.size(), expectedCount) << typed;
        EXPECT_EQ(selectedNames(), expected) << typed;
        // The list's own handling ran: the current entry is the first match,
        // and exactly the matching tiles have the selected look.
        EXPECT_EQ(list().currentItem()->text(), expected.first()) << typed;
        for (int i = 1; i <= window->tiles().tileCount(); ++i)
            EXPECT_EQ(window->tiles().oDWF(i)->bSelect(), expected.contains(window->tiles().oDWF(i)->sLayerName()))
                << typed << " tile " << i;
    }
    EXPECT_EQ(window->StatusMain()->currentMessage(), statusBefore);
}

TEST_F(UndoAndFilter, APlainWordFindsNamesContainingItAndSelectedOffActsOnThem)
{
    const DrawingState before = state();
    type(filter(), QStringLiteral("寸法"));
    const QStringList matched{QStringLiteral("DIM寸法_276"), QStringLiteral("DIM寸法_X11"), QStringLiteral("寸法962")};
    QStringList selected = selectedNames();
    selected.sort();
    EXPECT_EQ(selected, matched);

    toolbar().Toolbar1_ButtonClick(12); // selected layers off
    const DrawingState after = state();
    for (size_t i = 0; i < after.layers.size(); ++i) {
        const bool wasOn = before.layers[i].on;
        EXPECT_EQ(after.layers[i].on, wasOn && !matched.contains(after.layers[i].name))
            << after.layers[i].name.toStdString();
    }
    for (const QString& name : matched)
        EXPECT_FALSE(tileOf(name).bLayerOn()) << name.toStdString();
}

TEST_F(UndoAndFilter, EnterGoesToTheListEscapeClearsAndAnEmptyPatternChangesNothing)
{
    type(filter(), QStringLiteral("A-*"));
    const QStringList matched = selectedNames();
    ASSERT_EQ(matched.size(), 4);
    // Deleting the pattern leaves the selection as it was.
    filter().selectAll();
    QTest::keyClick(&filter(), Qt::Key_Backspace);
    EXPECT_TRUE(filter().text().isEmpty());
    EXPECT_EQ(selectedNames(), matched);

    type(filter(), QStringLiteral("壁"));
    QTest::keyClick(&filter(), Qt::Key_Return);
    EXPECT_TRUE(list().hasFocus());

    filter().setFocus();
    QTest::keyClick(&filter(), Qt::Key_Escape);
    EXPECT_TRUE(filter().text().isEmpty());
    EXPECT_TRUE(selectedNames().isEmpty());
    for (int i = 1; i <= window->tiles().tileCount(); ++i)
        EXPECT_FALSE(window->tiles().oDWF(i)->bSelect()) << i;
}

TEST_F(UndoAndFilter, UndoAfterTheExclusiveViewGivesBackEveryLayersState)
{
    EXPECT_FALSE(undoButton().isEnabled());
    EXPECT_EQ(undoButton().toolTip(), QStringLiteral("直前の画層状態に戻す"));
    const DrawingState before = state();
    window->OptDblClickExclusiveViewButton()->setChecked(true);
    QTest::mouseDClick(tileOf(QStringLiteral("壁_29")).ImgOne(), Qt::LeftButton);
    ASSERT_NE(state(), before);

    undo();
    EXPECT_EQ(state(), before);
    expectTilesShowTheDrawing();
    EXPECT_FALSE(undoButton().isEnabled());
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(UndoAndFilter, UndoAfterAllOffAFreezeAndALinetypeChange)
{
    const DrawingState before = state();
    toolbar().Toolbar1_ButtonClick(15);
    undo();
    EXPECT_EQ(state(), before);
    expectTilesShowTheDrawing();

    tile::clsDWF& wall = tileOf(QStringLiteral("壁_29"));
    QTest::mouseClick(wall.CmdFreeze(), Qt::LeftButton);
    ASSERT_TRUE(layer(QStringLiteral("壁_29")).frozen);
    undo();
    EXPECT_EQ(state(), before);
    EXPECT_FALSE(wall.bAllViewportFreaze());
    EXPECT_EQ(wall.CmdFreeze()->pictureName(), tile::statePictureName(tile::StatePicture::FreezeOff));

    tile::clsDWF& column = tileOf(QStringLiteral("柱-443"));
    column.CboLineType()->setCurrentText(QStringLiteral("CENTER"));
    emit column.pr_oCboLineType_Click();
    ASSERT_EQ(layer(QStringLiteral("柱-443")).linetype.toUpper(), QStringLiteral("CENTER"));
    undo();
    EXPECT_EQ(state(), before);
    EXPECT_EQ(column.CboLineType()->currentText().toUpper(), QStringLiteral("DASHED"));
    EXPECT_FALSE(undoButton().isEnabled());
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(UndoAndFilter, ThreeStepsGoBackNewestFirstAndChangesInTheHostStay)
{
    const auto redBar = [this](const char* name) {
        return tileOf(QString::fromUtf8(name)).FraBar()->palette().color(QPalette::Window) == QColor(255, 0, 0);
    };
    const QString locked = QStringLiteral("A-壁-742");
    const QStringList wereOff{QStringLiteral("屋根 97"), QStringLiteral("DOOR_X84"), QStringLiteral("補助線-976"),
                              QStringLiteral("壁 570"),  QStringLiteral("電気_Y42"), QStringLiteral("M-HVAC-219"),
                              QStringLiteral("通り芯 353")};
    DrawingState expected = state();
    ASSERT_EQ(expected.current, QStringLiteral("植栽B98"));
    for (const QString& name : wereOff)
        ASSERT_FALSE(layer(name).on) << name.toStdString();

    QTest::mouseClick(tileOf(locked).CmdLock(), Qt::LeftButton);               // 1: lock
    ASSERT_TRUE(layer(locked).locked);
    toolbar().Toolbar1_ButtonClick(14);                                         // 2: all on
    QTest::mouseDClick(tileOf(QStringLiteral("柱-664")).ImgOne(), Qt::LeftButton); // 3: make current
    ASSERT_EQ(state().current, QStringLiteral("柱-664"));
    ASSERT_TRUE(redBar("柱-664"));

    // Switched off in the host itself: not the viewer's change, never taken back.
    setOn(QStringLiteral("照明 178"), false);
    for (DrawingState::Layer& l : expected.layers)
        if (l.name == QStringLiteral("照明 178"))
            l.on = false;

    undo(); // 3: the former current layer again, with its red bar
    EXPECT_EQ(state().current, QStringLiteral("植栽B98"));
    EXPECT_TRUE(redBar("植栽B98"));
    EXPECT_FALSE(redBar("柱-664"));
    EXPECT_TRUE(layer(wereOff[0]).on); // still switched on by step 2

    undo(); // 2: the layers "all on" switched are off again
    for (const QString& name : wereOff)
        EXPECT_FALSE(layer(name).on) << name.toStdString();
    EXPECT_TRUE(layer(locked).locked);

    undo(); // 1
    EXPECT_EQ(state(), expected);
    expectTilesShowTheDrawing();
    EXPECT_FALSE(undoButton().isEnabled());
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(UndoAndFilter, ALayerDeletedInTheHostIsReportedOnceAndTheRestGoesBack)
{
    const DrawingState before = state();
    toolbar().Toolbar1_ButtonClick(15); // all off
    // "A-壁-742" vanishes from the host under that name before the undo.
    const int gone = document().layerIndex(QStringLiteral("A-壁-742"));
    document().setLayerName(gone, QStringLiteral("A-壁-old"));

    undo();
    ASSERT_GE(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].text, viewer::TileCommands::staleTileMessage());
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Critical);
    int staleMessages = 0;
    for (const auto& message : ui.messages())
        staleMessages += message.text == viewer::TileCommands::staleTileMessage() ? 1 : 0;
    EXPECT_EQ(staleMessages, 1);
    // Every other layer has its on/off state back; the renamed one stays off.
    const DrawingState after = state();
    for (size_t i = 0; i < before.layers.size(); ++i) {
        if (int(i) == gone)
            EXPECT_FALSE(after.layers[i].on);
        else
            EXPECT_EQ(after.layers[i].on, before.layers[i].on) << before.layers[i].name.toStdString();
    }
    EXPECT_FALSE(undoButton().isEnabled());
}

TEST_F(UndoAndFilter, ARefreshStartsANewHistoryAndACommandThatChangesNothingIsNoStep)
{
    toolbar().Toolbar1_ButtonClick(15);
    ASSERT_TRUE(undoButton().isEnabled());
    toolbar().Toolbar1_ButtonClick(7);
    EXPECT_FALSE(undoButton().isEnabled());

    toolbar().Toolbar1_ButtonClick(14); // switches every layer on
    const DrawingState allOn = state();
    toolbar().Toolbar1_ButtonClick(14); // changes nothing
    toolbar().Toolbar1_ButtonClick(15);
    undo();
    EXPECT_EQ(state(), allOn);
    undo();
    EXPECT_FALSE(undoButton().isEnabled());
    for (const DrawingState::Layer& l : state().layers)
        EXPECT_FALSE(l.on) << l.name.toStdString(); // as the first "all off" left them
}

TEST_F(UndoAndFilter, AtTheDefaultWidthTheFilterIsReachedThroughTheOverflowAndCtrlF)
{
    // The window opens 5820 twips wide: the filter lies behind the » button.
    window->resize(app::twipsToPixels(5820), window->height());
    QApplication::setActiveWindow(window.get());
    QApplication::processEvents();
    ASSERT_FALSE(filter().isVisible());
    const QRect listPlace = list().geometry();
    const QRect overviewPlace = window->FraALL()->geometry();

    // Ctrl+F from the layer list opens the overflow and puts the cursor in the box.
    list().setFocus();
    QTest::keyClick(&list(), Qt::Key_F, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_TRUE(filter().isVisible());
    EXPECT_TRUE(filter().hasFocus());
    EXPECT_TRUE(toolbar().overflowOpen());
    EXPECT_TRUE(toolbar().rect().contains(filter().geometry()));
    type(filter(), QStringLiteral("*壁*"));
    EXPECT_FALSE(list().selectedItems().isEmpty());
    // Enter moves to the list and closes the rows again; nothing was moved.
    QTest::keyClick(&filter(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(list().hasFocus());
    EXPECT_FALSE(toolbar().overflowOpen());
    EXPECT_FALSE(filter().isVisible());
    EXPECT_EQ(list().geometry(), listPlace);
    EXPECT_EQ(window->FraALL()->geometry(), overviewPlace);

    // The » button opens the same rows with a click.
    auto* overflow = toolbar().findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    ASSERT_NE(overflow, nullptr);
    ASSERT_TRUE(overflow->isVisible());
    QTest::mouseClick(overflow, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_TRUE(toolbar().overflowOpen());
    EXPECT_TRUE(filter().isVisible());
    EXPECT_GT(toolbar().height(), filter().height());
    QTest::mouseClick(overflow, Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(filter().isVisible());
}
