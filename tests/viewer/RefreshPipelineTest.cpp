#include "RecordingSurface.h"
#include "ViewerFixture.h"

#include "acad/FixedHostConnector.h"
#include "acad/PictureProtocol.h"
#include "app/DeferredRemoval.h"
#include "cad/MacroRegistry.h"
#include "cad/macros/PictureMacros.h"
#include "tile/TwipsPlacement.h"
#include "tile/WmfImage.h"
#include "viewer/CaptionBox.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QStatusBar>
#include <QTextStream>

#include <sys/wait.h>
#include <unistd.h>

using namespace viewertest;

namespace {

const QString kGenerated = QStringLiteral("generated/gen_50L_5k_R2000.dxf");
const QString kFiveLayers = QStringLiteral("libredwg_example_2018.dxf");

/// Switches off every layer but the current one named in `keepOn`.
void switchOff(cad::CadDocument& document, const QStringList& names)
{
    for (const QString& name : names)
        document.setLayerOn(document.layerIndex(name), false);
}

QStringList tileNames(frmWMF& window)
{
    QStringList names;
    for (int i = 1; i <= window.tiles().tileCount(); ++i)
        names << window.tiles().oDWF(i)->sLayerName();
    return names;
}

int visibleLayerCount(cad::CadDocument& document)
{
    int on = 0;
    for (const auto& state : layerStates(document))
        on += state.on ? 1 : 0;
    return on;
}

} // namespace

class RefreshPipeline : public ViewerTest {};

TEST_F(RefreshPipeline, AllLayersGetSortedTilesAndTheDrawingKeepsItsStates)
{
    openDrawing(kGenerated);
    const auto before = layerStates(document());
    // A morning hour keeps its leading zero (24-hour clock, two digits).
    window->setClock([] { return QTime(9, 5); });

    window->CmdRefresh_Click();

    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(layerStates(document()), before);
    EXPECT_TRUE(window->bRefreshDone());
    EXPECT_TRUE(window->bTileReady());
    EXPECT_FALSE(ui.pleaseWaitShown());

    const QStringList names = tileNames(*window);
    EXPECT_EQ(names.size(), document().layerCount());
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(names, sorted);
    EXPECT_EQ(window->LstLayers()->count(), names.size());
    EXPECT_EQ(window->LstLayers()->item(0)->text(), names.first());

    // Every layer shown: the second pane is hidden and the list sits beside the first.
    EXPECT_FALSE(window->FraPart()->isVisibleTo(window.get()));
    EXPECT_EQ(tile::twipsGeometryOf(*window->LstLayers()).left(), 2970);
    EXPECT_EQ(tile::twipsGeometryOf(*window->FraViewDblClick()).left(), 5820);
    EXPECT_EQ(tile::twipsGeometryOf(*window->ChkViewOnly()).left(), 5820);

    EXPECT_EQ(window->StatusMain()->currentMessage(), document().name() + QStringLiteral(" [09:05] 更新"));
    EXPECT_EQ(window->PicMain()->property("Tag").toString(), QString::number(names.size()));
    EXPECT_TRUE(window->ImgALL()->hasPicture());
    EXPECT_GT(window->sngImgALLRatio(), 0.0f);
    EXPECT_TRUE(window->TxtALL()->text().startsWith(QStringLiteral("全ての画層\r\n画層数:")));

    // The pictures came from the work folder beside the program.
    EXPECT_TRUE(QFileInfo::exists(home.filePath(QStringLiteral("LAYER/SYS/all.wmf"))));
    int withPicture = 0;
    for (int i = 1; i <= window->tiles().tileCount(); ++i)
        withPicture += window->tiles().oDWF(i)->ImgOne()->hasPicture() ? 1 : 0;
    EXPECT_GT(withPicture, names.size() / 2);
}

TEST_F(RefreshPipeline, VisibleLayersOnlyShowsTheSecondPaneAndPutsStatesBack)
{
    openDrawing(kGenerated);
    const auto before = layerStates(document());
    const int on = visibleLayerCount(document());
    ASSERT_GT(on, 0);
    ASSERT_LT(on, document().layerCount()) << "the sample should have layers that are off";
    window->ChkViewOnly()->setChecked(true);

    window->CmdRefresh_Click();

    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(layerStates(document()), before);
    EXPECT_EQ(window->tiles().tileCount(), on);
    EXPECT_TRUE(window->FraPart()->isVisibleTo(window.get()));
    EXPECT_EQ(tile::twipsGeometryOf(*window->LstLayers()).left(), 5760);
    EXPECT_EQ(tile::twipsGeometryOf(*window->FraViewDblClick()).left(), 8610);
    EXPECT_EQ(tile::twipsGeometryOf(*window->ChkViewOnly()).left(), 8610);
    EXPECT_TRUE(window->ImgPart()->hasPicture());
    EXPECT_TRUE(window->TxtPart()->text().contains(QStringLiteral("画層数:") + QString::number(on) + QLatin1Char(' ')));
    for (int i = 1; i <= window->tiles().tileCount(); ++i)
        EXPECT_TRUE(window->tiles().oDWF(i)->bLayerOn()) << window->tiles().oDWF(i)->sLayerName().toStdString();
}

TEST_F(RefreshPipeline, ListFileGivesItsNamesSortedOnceAndDuplicatesTwice)
{
    openDrawing(kFiveLayers);
    const auto before = layerStates(document());
    const QString first = document().layer(1).name;
    const QString second = document().layer(2).name;
    const QString listPath = home.filePath(QStringLiteral("list.csv"));
    {
        QFile file(listPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((second + QStringLiteral("\r\n") + first + QStringLiteral(",note\r\n") + second
                    + QStringLiteral("\r\n"))
                       .toUtf8());
    }
    window->Form_Load(listPath);  // start-up with a list file runs the refresh at once

    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(layerStates(document()), before);
    QStringList expected{first, second, second};
    std::sort(expected.begin(), expected.end(),
              [](const QString& a, const QString& b) { return QString::compare(a, b, Qt::CaseInsensitive) < 0; });
    EXPECT_EQ(tileNames(*window), expected);
    EXPECT_TRUE(window->sCommandCSV().isEmpty());
    EXPECT_TRUE(window->FraPart()->isVisibleTo(window.get()));

    // The next refresh follows the check box again: every layer.
    window->CmdRefresh_Click();
    EXPECT_EQ(window->tiles().tileCount(), document().layerCount());
}

TEST_F(RefreshPipeline, UnsavedDrawingIsRefusedAndNothingChanges)
{
    openUnsavedDrawing();
    const auto before = layerStates(document());

    window->CmdRefresh_Click();

    ASSERT_EQ(ui.messages().size(), 1);
    const auto& message = ui.messages().first();
    EXPECT_EQ(message.text, QStringLiteral("『 ") + document().name()
                                + QStringLiteral(" 』は保存されていません。\r\n保存してから実行してください。"));
    EXPECT_EQ(message.icon, app::MsgIcon::Exclamation);
    EXPECT_EQ(message.caption, QStringLiteral("Kasanemi Ver4.00"));
    EXPECT_EQ(layerStates(document()), before);
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("LAYER"))));
    EXPECT_EQ(window->tiles().tileCount(), 0);
    EXPECT_FALSE(window->bRefreshDone());
}

TEST_F(RefreshPipeline, NoHostStartedGivesTheNotFoundMessage)
{
    // No running host and none can be started (the user agrees to start one).
    ui.setDefaultAnswer(app::MsgAnswer::Yes);
    window->CmdRefresh_Click();
    ASSERT_FALSE(ui.messages().isEmpty());
    const auto& last = ui.messages().last();
    EXPECT_EQ(last.text, QStringLiteral("AutoCADが見つかりません。AutoCADを起動してから試して下さい。"));
    EXPECT_EQ(last.caption, QStringLiteral("404 Not Find AutoCAD.Application"));
    EXPECT_EQ(last.icon, app::MsgIcon::Critical);
}

TEST_F(RefreshPipeline, MacroFailingMidwayPutsTheUsersLayersBackAndClosesThePleaseWait)
{
    openDrawing(kGenerated);
    const auto before = layerStates(document());
    // The per-layer pictures fail after every layer was switched on and thawed.
    cad::MacroRegistry::global().registerMacro(acad::macro::kMakeAllLayer, [](cad::LocalApplication&, const QString&) {
        throw acad::AcadError(acad::error::kHostFailure, QStringLiteral("disk full"));
    });
    window->setClock([] { return QTime(9, 5); });

    window->CmdRefresh_Click();
    cad::macros::registerPictureMacros(cad::MacroRegistry::global());

    const QStringList errors = reports();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().startsWith(QStringLiteral("予期せぬエラーが CmdRefresh_Click で発生しました。\r番号：")))
        << errors.first().toStdString();
    EXPECT_TRUE(errors.first().endsWith(QStringLiteral("disk full")));
    EXPECT_EQ(layerStates(document()), before);
    EXPECT_FALSE(ui.pleaseWaitShown());
    EXPECT_FALSE(window->bRefreshDone());
    EXPECT_FALSE(window->bTileReady());
    // The status says the refresh failed; it does not go on reading "…取得中".
    EXPECT_EQ(window->StatusMain()->currentMessage(),
              document().name() + QStringLiteral(" の画層情報を取得できませんでした [09:05]"));
}

TEST_F(RefreshPipeline, TheOldPicturesAreDeletedAfterTheNewOnesAreMadeHoweverTheRefreshEnds)
{
    openDrawing(kFiveLayers);
    window->CmdRefresh_Click();
    ASSERT_TRUE(window->bRefreshDone());
    const QString layer = home.filePath(QStringLiteral("LAYER"));
    const auto setAside = [&] {
        return QDir(home.path()).entryList({QStringLiteral(".LAYER.gone-*")},
                                           QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    // A picture of a layer the drawing no longer has, and what a viewer
    // killed while deleting left behind.
    ASSERT_TRUE(QFile(layer + QStringLiteral("/消えた画層.wmf")).open(QIODevice::WriteOnly));
    const pid_t ended = [] {
        const pid_t child = ::fork();
        if (child == 0)
            ::_exit(0);
        ::waitpid(child, nullptr, 0);
        return child;
    }();
    QDir(home.path()).mkpath(QStringLiteral(".LAYER.gone-%1-abcdef/SYS").arg(ended));

    // When the layer pictures are made, LAYER is new and empty but for
    // them, and the old pictures are not yet deleted (their inodes are
    // freed after the new files took theirs).
    bool oldPictureInLayer = true;
    bool oldPicturesKept = false;
    const cad::MacroFn layerPictures = cad::MacroRegistry::global().find(acad::macro::kMakeAllLayer);
    cad::MacroRegistry::global().registerMacro(
        acad::macro::kMakeAllLayer, [&](cad::LocalApplication& application, const QString& folder) {
            oldPictureInLayer = QFileInfo::exists(layer + QStringLiteral("/消えた画層.wmf"));
            for (const QString& aside : setAside())
                oldPicturesKept |= QFileInfo::exists(home.filePath(aside + QStringLiteral("/消えた画層.wmf")));
            layerPictures(application, folder);
        });
    window->CmdRefresh_Click();
    app::waitForDeferredRemovals();

    EXPECT_TRUE(window->bRefreshDone());
    EXPECT_FALSE(oldPictureInLayer);
    EXPECT_TRUE(oldPicturesKept);
    EXPECT_TRUE(setAside().isEmpty()) << setAside().join(' ').toStdString();
    EXPECT_FALSE(QFileInfo::exists(layer + QStringLiteral("/消えた画層.wmf")));
    EXPECT_EQ(QDir(layer).entryList({QStringLiteral("*.wmf")}, QDir::Files).size(), document().layerCount());

    // A refresh that fails at the layer pictures still deletes what it set aside.
    cad::MacroRegistry::global().registerMacro(acad::macro::kMakeAllLayer, [](cad::LocalApplication&, const QString&) {
        throw acad::AcadError(acad::error::kHostFailure, QStringLiteral("disk full"));
    });
    window->CmdRefresh_Click();
    cad::macros::registerPictureMacros(cad::MacroRegistry::global());
    app::waitForDeferredRemovals();
    EXPECT_EQ(reports().size(), 1);
    EXPECT_TRUE(setAside().isEmpty()) << setAside().join(' ').toStdString();
    EXPECT_TRUE(QFileInfo::exists(layer + QStringLiteral("/SYS/all.wmf")));
    EXPECT_TRUE(QDir(layer).entryList({QStringLiteral("*.wmf")}, QDir::Files).isEmpty());
}

TEST_F(RefreshPipeline, MissingMacroProjectEndsWithTheReportAndChangesNothing)
{
    openDrawing(kFiveLayers);
    const auto before = layerStates(document());
    QFile::remove(home.filePath(QStringLiteral("QEMTIN.dvb")));

    window->CmdRefresh_Click();

    ASSERT_EQ(reports().size(), 1);
    EXPECT_TRUE(reports().first().contains(QStringLiteral("CmdRefresh_Click")));
    EXPECT_EQ(layerStates(document()), before);
    EXPECT_FALSE(ui.pleaseWaitShown());
}

TEST_F(RefreshPipeline, EmptyListOfLayersEndsInTheReportWithTheDrawingUnchanged)
{
    openDrawing(kFiveLayers);
    // Every layer off, the current one too: no layer is visible.
    for (int i = 0; i < document().layerCount(); ++i)
        document().setLayerOn(i, false);
    const auto before = layerStates(document());
    window->ChkViewOnly()->setChecked(true);

    window->CmdRefresh_Click();

    ASSERT_EQ(reports().size(), 1);
    EXPECT_TRUE(reports().first().startsWith(QStringLiteral("予期せぬエラーが CmdRefresh_Click で発生しました。\r番号：9\r")))
        << reports().first().toStdString();
    EXPECT_EQ(layerStates(document()), before);
    EXPECT_FALSE(ui.pleaseWaitShown());
    EXPECT_EQ(window->tiles().tileCount(), 0);
}

TEST_F(RefreshPipeline, FiveTilesThenThreeRemovesTheSurplusControls)
{
    openDrawing(kFiveLayers);
    ASSERT_EQ(document().layerCount(), 5);
    window->CmdRefresh_Click();
    ASSERT_EQ(window->tiles().tileCount(), 5);
    QPointer<QFrame> oldSecond = window->findChild<QFrame*>(QStringLiteral("FraOne2"));
    ASSERT_TRUE(oldSecond);

    // Two layers other than the current one are switched off; only the visible three are shown.
    QStringList off;
    const int current = document().currentLayer();
    for (int i = 0; i < 5 && off.size() < 2; ++i)
        if (i != current)
            off << document().layer(i).name;
    switchOff(document(), off);
    window->ChkViewOnly()->setChecked(true);
    window->CmdRefresh_Click();

    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(window->tiles().tileCount(), 3);
    EXPECT_EQ(window->PicMain()->property("Tag").toString(), QStringLiteral("3"));
    EXPECT_FALSE(oldSecond) << "the previous refresh's tile 2 is removed, not reused";
    EXPECT_TRUE(window->findChild<QFrame*>(QStringLiteral("FraOne1")));
    EXPECT_TRUE(window->findChild<QFrame*>(QStringLiteral("FraOne2")));
    EXPECT_TRUE(window->findChild<QFrame*>(QStringLiteral("FraOne3")));
    EXPECT_FALSE(window->findChild<QFrame*>(QStringLiteral("FraOne4")));
    EXPECT_FALSE(window->findChild<QFrame*>(QStringLiteral("FraOne5")));
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("TxtOne5")));
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("TxtOne3"))->text(), window->tiles().oDWF(3)->sLayerName());
}

namespace {
/// Keeps the status text each time the refresh lets the window repaint.
class StatusRecordingUi : public app::RecordingUserInterface {
public:
    QStatusBar* status = nullptr;
    QStringList seen;
    void processEvents() override
    {
        if (status)
            seen << status->currentMessage();
        RecordingUserInterface::processEvents();
    }
};
} // namespace

TEST_F(RefreshPipeline, ProgressRunsOverThreeStepsPerTile)
{
    openDrawing(kFiveLayers);
    const QString listPath = home.filePath(QStringLiteral("three.csv"));
    {
        QFile file(listPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write((document().layer(0).name + "\r\n" + document().layer(1).name + "\r\n" + document().layer(2).name
                    + "\r\n")
                       .toUtf8());
    }
    StatusRecordingUi progressUi;
    app::ScopedUi scoped(progressUi);
    progressUi.status = window->StatusMain();
    window->setClock([] { return QTime(14, 5); });
    window->Form_Load(listPath);

    const QString prefix = document().name() + QStringLiteral(" の画層情報を取得中．．．");
    QStringList progress;
    for (const QString& text : progressUi.seen)
        if (text.startsWith(prefix) && text.endsWith(QLatin1Char('%')))
            progress << text.mid(prefix.size());
    EXPECT_EQ(progress, (QStringList{"11%", "22%", "33%", "44%", "56%", "67%", "78%", "89%", "100%"}));
    EXPECT_EQ(window->StatusMain()->currentMessage(), document().name() + QStringLiteral(" [14:05] 更新"));
}

/// The refresh on a host that writes down every call: the layer writes,
/// regenerations and macro runs, in the order the host receives them.
class RefreshCallOrder : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        QFile drawing(home.filePath(QStringLiteral("a.dxf")));
        ASSERT_TRUE(drawing.open(QIODevice::WriteOnly));
        host->fullName = drawing.fileName();
        // A is the current layer, and it is off.
        using testing_surface::layerRecord;
        host->layers = {layerRecord("0"), layerRecord("A", false), layerRecord("B", true, true), layerRecord("C", false)};
        host->current = 1;
        window->setHostConnector(std::make_shared<acad::FixedHostConnector>(testing_surface::makeApplication(host)));
    }

    std::shared_ptr<testing_surface::Host> host = std::make_shared<testing_surface::Host>();
};

// Every layer but the current one is thawed, then switched on; putting the
// user's states back writes on/off, then frozen, and never the current layer.
const QStringList kSwitchOnAndThaw{"Layer.SetFreeze(0,0)", "Layer.SetLayerOn(0,1)", "Layer.SetFreeze(B,0)",
                                   "Layer.SetLayerOn(B,1)", "Layer.SetFreeze(C,0)", "Layer.SetLayerOn(C,1)"};
const QStringList kPutBack{"Layer.SetLayerOn(0,1)", "Layer.SetFreeze(0,0)", "Layer.SetLayerOn(B,1)",
                           "Layer.SetFreeze(B,1)", "Layer.SetLayerOn(C,0)", "Layer.SetFreeze(C,0)"};

TEST_F(RefreshCallOrder, AllLayersSwitchThawFirstAndPutBackAfterTheLayerPictures)
{
    window->CmdRefresh_Click();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    ASSERT_EQ(window->tiles().tileCount(), 4);

    const QStringList expected = kSwitchOnAndThaw
                               + QStringList{"Document.Regen(1)",
                                             "Application.RunMacro(QEMTIN.basWMF.pu_subMakeWMF_All)",
                                             "Application.RunMacro(QEMTIN.basWMF.pu_subMakeWMF_AllLayer)"}
                               + kPutBack + QStringList{"Document.Regen(1)"};
    EXPECT_EQ(host->writes(), expected);
}

TEST_F(RefreshCallOrder, VisibleLayersPutBackBeforeTheUsersViewAndTheLayerPictures)
{
    window->ChkViewOnly()->setChecked(true);
    window->CmdRefresh_Click();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    ASSERT_EQ(window->tiles().tileCount(), 2); // 0 and B

    const QStringList expected = kSwitchOnAndThaw
                               + QStringList{"Document.Regen(1)",
                                             "Application.RunMacro(QEMTIN.basWMF.pu_subMakeWMF_All)"}
                               + kPutBack
                               + QStringList{"Document.Regen(1)",
                                             "Application.RunMacro(QEMTIN.basWMF.pu_subMakeWMF_Part)",
                                             "Application.RunMacro(QEMTIN.basWMF.pu_subMakeWMF_ViewLayer)"};
    EXPECT_EQ(host->writes(), expected);
}

TEST_F(RefreshCallOrder, AMacroThatFailsLeavesTheStatesPutBackWithoutTouchingTheCurrentLayer)
{
    host->failing = {"Application.RunMacro"};
    window->CmdRefresh_Click();
    ASSERT_EQ(reports().size(), 1);

    const QStringList expected = kSwitchOnAndThaw
                               + QStringList{"Document.Regen(1)",
                                             "Application.RunMacro(QEMTIN.basWMF.pu_subMakeWMF_All)"}
                               + kPutBack + QStringList{"Document.Regen(1)"};
    EXPECT_EQ(host->writes(), expected);
}

namespace {
/// Puts the real picture macros back however a test ends.
struct RealMacrosAfterwards {
    ~RealMacrosAfterwards() { cad::macros::registerPictureMacros(cad::MacroRegistry::global()); }
};
} // namespace

TEST_F(RefreshPipeline, EachPictureIsMadeWithTheLayerStatesItShows)
{
    openDrawing(kFiveLayers);
    cad::CadDocument& drawing = document();
    const int current = drawing.currentLayer();
    ASSERT_GE(drawing.layerCount(), 4);
    // The current layer off, one other layer off, one frozen.
    std::vector<int> others;
    for (int i = 0; i < drawing.layerCount(); ++i)
        if (i != current)
            others.push_back(i);
    drawing.setLayerOn(current, false);
    drawing.setLayerOn(others[0], false);
    drawing.setLayerFrozen(others[1], true);
    const auto before = layerStates(drawing);
    auto switched = before;
    for (int i : others)
        switched[size_t(i)].on = true, switched[size_t(i)].frozen = false;

    RealMacrosAfterwards restoreMacros;
    std::map<QString, std::vector<LayerState>> seen;
    for (const QString& macro : {acad::macro::kMakeAll, acad::macro::kMakePart, acad::macro::kMakeAllLayer,
                                 acad::macro::kMakeViewLayer}) {
        const cad::MacroFn real = cad::MacroRegistry::global().find(macro);
        cad::MacroRegistry::global().registerMacro(macro, [&seen, macro, real](cad::LocalApplication& app,
                                                                              const QString& folder) {
            seen[macro] = layerStates(app.document());
            real(app, folder);
        });
    }

    window->CmdRefresh_Click(); // every layer
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[acad::macro::kMakeAll], switched);
    EXPECT_EQ(seen[acad::macro::kMakeAllLayer], switched);
    EXPECT_EQ(layerStates(drawing), before);

    seen.clear();
    window->ChkViewOnly()->setChecked(true); // the visible layers only
    window->CmdRefresh_Click();
    ASSERT_TRUE(reports().isEmpty()) << reports().join('\n').toStdString();
    EXPECT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[acad::macro::kMakeAll], switched);
    EXPECT_EQ(seen[acad::macro::kMakePart], before);
    EXPECT_EQ(seen[acad::macro::kMakeViewLayer], before);
    EXPECT_EQ(layerStates(drawing), before);
}
