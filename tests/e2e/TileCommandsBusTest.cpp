// The tile and bulk commands of the real viewer window against the real
// drawing host on the session bus: what the user does to a tile reaches the
// host, and what another client does in the host meanwhile is noticed.

#include "HostProcess.h"

#include "acad/AcadError.h"
#include "acad/LayerReads.h"
#include "acad/dbus/BusHostConnector.h"
#include "acad/dbus/BusNames.h"
#include "acad/dbus/BusSurface.h"
#include "app/RecordingUserInterface.h"
#include "tile/StatePictures.h"
#include "tile/clsDWF.h"
#include "viewer/FrmWMF.h"
#include "viewer/LayerFilterBox.h"
#include "viewer/Toolbar1.h"

#include <QAction>
#include <QFile>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QString kSample = QStringLiteral("acadsharp_sample_AC1009.dxf");

class TileCommandsOverTheBus : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(acad::dbus::sessionBus()) << "the end-to-end tests need a session bus";
        ASSERT_TRUE(e2e::waitHostGone(3'000)) << "another drawing host owns the name";
        // The viewer's program folder holds the macro project the host loads.
        qputenv("KASANEMI_HOME", home.path().toUtf8());
        ASSERT_TRUE(QFile::copy(e2e::binFolder() + QStringLiteral("/QEMTIN.dvb"), home.filePath("QEMTIN.dvb")));
        ASSERT_TRUE(QFile::copy(e2e::samplePath(kSample), home.filePath(kSample)));
        host = std::make_unique<e2e::HostProcess>(QStringList{home.filePath(kSample)});
        ASSERT_TRUE(host->waitReady());
        // Another client of the host, as the user's own work in the CAD window.
        other = acad::dbus::makeBusApplication(*acad::dbus::sessionBus())->activeDocument();

        window = std::make_unique<frmWMF>();
        window->setHostConnector(std::make_shared<acad::dbus::BusHostConnector>(e2e::binFolder()));
        window->resize(1000, 700);
        window->show();
        window->findChild<viewer::Toolbar1*>()->Toolbar1_ButtonClick(7);
        ASSERT_GT(window->tiles().tileCount(), 5);
        ASSERT_TRUE(ui.messages().isEmpty()) << ui.messages().first().text.toStdString();
    }
    void TearDown() override
    {
        window.reset();
        host.reset();
        e2e::killHostOnBus();
        qunsetenv("KASANEMI_HOME");
    }

    tile::clsDWF& tileOf(const QString& layerName)
    {
        for (int i = 1; i <= window->tiles().tileCount(); ++i)
            if (window->tiles().oDWF(i)->sLayerName() == layerName)
                return *window->tiles().oDWF(i);
        throw std::runtime_error("no tile for " + layerName.toStdString());
    }
    bool onInHost(const QString& name) { return other->layers()->item(name)->layerOn(); }

    QTemporaryDir home;
    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi{ui};
    std::unique_ptr<e2e::HostProcess> host;
    acad::DocumentPtr other;
    std::unique_ptr<frmWMF> window;
};

} // namespace

TEST_F(TileCommandsOverTheBus, OnOffClickChangesTheLayerInTheHost)
{
    tile::clsDWF& t = tileOf(QStringLiteral("LAYER1"));
    QTest::mouseClick(t.CmdView(), Qt::LeftButton);
    EXPECT_FALSE(onInHost(QStringLiteral("LAYER1")));
    EXPECT_EQ(t.CmdView()->pictureName(), tile::statePictureName(tile::StatePicture::ViewOff));
    QTest::mouseClick(t.CmdView(), Qt::LeftButton);
    EXPECT_TRUE(onInHost(QStringLiteral("LAYER1")));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(TileCommandsOverTheBus, LockOnALayerRenamedInTheHostShowsTheStaleTileMessage)
{
    tile::clsDWF& t = tileOf(QStringLiteral("LAYER2"));
    other->layers()->item(QStringLiteral("LAYER2"))->setName(QStringLiteral("改名"));
    QTest::mouseClick(t.CmdLock(), Qt::LeftButton);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].text,
              QStringLiteral("前回更新した後にAutoCAD側で画層の追加・削除\r"
                             "又は線種の追加・削除をした可能性がある為更新ボタンで再度更新して下さい。"));
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Critical);
    EXPECT_FALSE(other->layers()->item(QStringLiteral("改名"))->lock());
}

TEST_F(TileCommandsOverTheBus, MakingAFrozenLayerCurrentIsRefusedAndTheCurrentLayerStays)
{
    ASSERT_TRUE(window->OptDblClickActiveButton()->isChecked());
    const QString before = other->activeLayer()->name();
    QTest::mouseDClick(tileOf(QStringLiteral("LAYER_FREEZE")).ImgOne(), Qt::LeftButton);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].text, QStringLiteral("フリーズされた画層をアクティブにすることはできません\r"));
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Exclamation);
    EXPECT_EQ(other->activeLayer()->name(), before);

    // A thawed layer becomes current.
    QTest::mouseDClick(tileOf(QStringLiteral("LAYER1")).ImgOne(), Qt::LeftButton);
    EXPECT_EQ(other->activeLayer()->name(), QStringLiteral("LAYER1"));
    EXPECT_EQ(ui.messages().size(), 1);
}

TEST_F(TileCommandsOverTheBus, ExclusiveViewLeavesExactlyOneLayerOnAndEveryBulbUpdated)
{
    window->OptDblClickExclusiveViewButton()->setChecked(true);
    QTest::mouseDClick(tileOf(QStringLiteral("LAYER_LOCK")).ImgOne(), Qt::LeftButton);
    const acad::LayersPtr layers = other->layers();
    int on = 0;
    for (int i = 0; i < layers->count(); ++i)
        on += layers->item(i)->layerOn() ? 1 : 0;
    EXPECT_EQ(on, 1);
    EXPECT_TRUE(onInHost(QStringLiteral("LAYER_LOCK")));
    for (int i = 1; i <= window->tiles().tileCount(); ++i) {
        tile::clsDWF& t = *window->tiles().oDWF(i);
        const bool shouldBeOn = t.sLayerName() == QStringLiteral("LAYER_LOCK");
        EXPECT_EQ(t.CmdView()->pictureName(),
                  tile::statePictureName(shouldBeOn ? tile::StatePicture::ViewOn : tile::StatePicture::ViewOff))
            << t.sLayerName().toStdString();
    }
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(TileCommandsOverTheBus, HideAllThenShowAllReachesEveryLayerOfTheHost)
{
    auto* toolbar = window->findChild<viewer::Toolbar1*>();
    toolbar->Toolbar1_ButtonClick(15);
    const acad::LayersPtr layers = other->layers();
    for (int i = 0; i < layers->count(); ++i)
        EXPECT_FALSE(layers->item(i)->layerOn()) << i;
    toolbar->Toolbar1_ButtonClick(14);
    for (int i = 0; i < layers->count(); ++i)
        EXPECT_TRUE(layers->item(i)->layerOn()) << i;
    for (int i = 1; i <= window->tiles().tileCount(); ++i)
        EXPECT_TRUE(window->tiles().oDWF(i)->bLayerOn()) << i;
}

namespace {
/// Every layer's name and on/off state as another client of the host reads them.
std::vector<std::pair<QString, bool>> onStatesInHost(const acad::DocumentPtr& document)
{
    std::vector<std::pair<QString, bool>> states;
    for (const acad::LayerSnapshot& record : acad::readLayerRecords(*document))
        states.emplace_back(record.sLayerName, record.bLayerOn != acad::vbFalse);
    return states;
}
} // namespace

TEST_F(TileCommandsOverTheBus, FilterSelectsSelectedOffActsAndUndoTakesEachStepBack)
{
    auto* toolbar = window->findChild<viewer::Toolbar1*>();
    const auto start = onStatesInHost(other);

    // The filter selects the matching entries; "selected off" switches them off in the host.
    QTest::keyClicks(toolbar->layerFilter(), QStringLiteral("layer_l*"));
    QStringList selected;
    for (QListWidgetItem* item : window->LstLayers()->selectedItems())
        selected << item->text();
    selected.sort();
    EXPECT_EQ(selected, (QStringList{"LAYER_LOCK", "LAYER_LT_DASH", "LAYER_LW_035", "LAYER_LW_050"}));
    toolbar->Toolbar1_ButtonClick(12);
    for (const QString& name : selected)
        EXPECT_FALSE(onInHost(name)) << name.toStdString();

    // Then the exclusive view on top of it.
    window->OptDblClickExclusiveViewButton()->setChecked(true);
    QTest::mouseDClick(tileOf(QStringLiteral("LAYER1")).ImgOne(), Qt::LeftButton);
    ASSERT_TRUE(onInHost(QStringLiteral("LAYER1")));
    ASSERT_FALSE(onInHost(QStringLiteral("0")));

    QAction* undo = toolbar->undoButton();
    ASSERT_TRUE(undo->isEnabled());
    undo->trigger(); // the exclusive view: back to "selected off"
    auto afterSelectedOff = start;
    for (auto& [name, on] : afterSelectedOff)
        on = on && !selected.contains(name);
    EXPECT_EQ(onStatesInHost(other), afterSelectedOff);

    undo->trigger(); // "selected off"
    EXPECT_EQ(onStatesInHost(other), start);
    EXPECT_FALSE(undo->isEnabled());
    for (int i = 1; i <= window->tiles().tileCount(); ++i)
        EXPECT_EQ(window->tiles().oDWF(i)->bLayerOn(), onInHost(window->tiles().oDWF(i)->sLayerName())) << i;
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(TileCommandsOverTheBus, UndoOfALayerRenamedInTheHostMeanwhileReportsItAndRestoresTheRest)
{
    auto* toolbar = window->findChild<viewer::Toolbar1*>();
    const auto start = onStatesInHost(other);
    toolbar->Toolbar1_ButtonClick(15); // every layer off
    other->layers()->item(QStringLiteral("LAYER1"))->setName(QStringLiteral("改名"));

    toolbar->undoButton()->trigger();
    ASSERT_FALSE(ui.messages().isEmpty());
    EXPECT_TRUE(ui.messages()[0].text.startsWith(QStringLiteral("前回更新した後にAutoCAD側で画層の追加・削除")));
    for (const auto& [name, on] : start) {
        if (name == QStringLiteral("LAYER1"))
            EXPECT_FALSE(other->layers()->item(QStringLiteral("改名"))->layerOn());
        else
            EXPECT_EQ(onInHost(name), on) << name.toStdString();
    }
}
