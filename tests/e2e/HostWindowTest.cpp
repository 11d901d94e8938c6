// The drawing host's window without the bus: its title and handle as the
// viewer finds them, and that no unsaved layer change is dropped unasked.

#include "app/RecordingUserInterface.h"
#include "cad/CadDocument.h"
#include "cad/local/LocalApplication.h"
#include "cad/window/CadMainWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString sample(const QString& name)
{
    return QDir(qEnvironmentVariable("KASANEMI_SAMPLES")).filePath(name);
}

class HostWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        drawing = folder.filePath("plan.dxf");
        ASSERT_TRUE(QFile::copy(sample("qcad_example01.dxf"), drawing));
        application = std::make_shared<cad::LocalApplication>(cad::CadDocument::open(drawing));
        window = std::make_unique<cad::CadMainWindow>(application);
        window->show();
    }

    void switchOffDim() { application->activeDocument()->layers()->item("dim")->setLayerOn(false); }

    bool dimOnInFile(const QString& path)
    {
        return cad::LocalApplication(cad::CadDocument::open(path)).activeDocument()->layers()->item("dim")->layerOn();
    }

    app::RecordingUserInterface ui;
    app::ScopedUi scopedUi{ui};
    QTemporaryDir folder;
    QString drawing;
    std::shared_ptr<cad::LocalApplication> application;
    std::unique_ptr<cad::CadMainWindow> window;
};

TEST_F(HostWindowTest, TitleIsTheCaptionAndFindsTheWindow)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kasanemi CAD - [plan.dxf]"));
    EXPECT_EQ(window->windowTitle(), application->caption());
    const qint64 handle = window->handleIfTitled(window->windowTitle());
    EXPECT_NE(handle, 0);
    EXPECT_EQ(window->handleIfTitled(QStringLiteral("Kasanemi CAD - [other.dxf]")), 0);
    EXPECT_TRUE(window->bringToFront(handle));
    EXPECT_FALSE(window->bringToFront(handle + 1));
    window->showWindow(false);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->bringToFront(handle)); // a hidden window comes back
    EXPECT_TRUE(window->isVisible());
}

TEST_F(HostWindowTest, OpeningAnotherDrawingAsksAboutUnsavedChanges)
{
    switchOffDim();
    ui.scriptAnswers({app::MsgAnswer::Cancel});
    EXPECT_FALSE(window->openDrawing(sample("ezdxf_viewport_frozen_layers.dxf")));
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].buttons, app::MsgButtons::YesNoCancel);
    EXPECT_EQ(application->document().name(), QStringLiteral("plan.dxf"));
    EXPECT_TRUE(application->document().isModified());

    ui.scriptAnswers({app::MsgAnswer::No});
    EXPECT_TRUE(window->openDrawing(sample("ezdxf_viewport_frozen_layers.dxf")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kasanemi CAD - [ezdxf_viewport_frozen_layers.dxf]"));
    EXPECT_TRUE(dimOnInFile(drawing)); // dropped as asked: the file is untouched
    EXPECT_TRUE(ui.pleaseWaitEvents().isEmpty()); // a DXF reads too fast to need one
}

TEST_F(HostWindowTest, ClosingSavesWhenAskedAndStaysOpenOnCancel)
{
    switchOffDim();
    ui.scriptAnswers({app::MsgAnswer::Cancel});
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());

    ui.scriptAnswers({app::MsgAnswer::Yes});
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(dimOnInFile(drawing));
    EXPECT_FALSE(application->document().isModified());
}

TEST_F(HostWindowTest, UnreadableDrawingLeavesTheCurrentOneInPlace)
{
    const QString broken = folder.filePath("broken.dxf");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a drawing\n");
    file.close();
    EXPECT_FALSE(window->openDrawing(broken));
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Critical);
    EXPECT_EQ(application->document().name(), QStringLiteral("plan.dxf"));
}

TEST_F(HostWindowTest, FailedSaveKeepsTheChangesAndTheWindow)
{
    switchOffDim();
    // Someone else rewrote the file since it was loaded: it is not overwritten.
    QFile file(drawing);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("999\nappended elsewhere\n");
    file.close();
    ui.scriptAnswers({app::MsgAnswer::Yes});
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(application->document().isModified());
    ASSERT_EQ(ui.messages().size(), 2); // the question, then the failure
    EXPECT_EQ(ui.messages()[1].icon, app::MsgIcon::Critical);

    // Save As to another file keeps them.
    const QString copy = folder.filePath("copy.dxf");
    ui.scriptSaveFileNames({copy});
    EXPECT_TRUE(window->saveDrawingAs());
    EXPECT_FALSE(dimOnInFile(copy));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kasanemi CAD - [copy.dxf]"));
}

TEST_F(HostWindowTest, NewDrawingGoesToSaveAsAndACancelledDialogSavesNothing)
{
    auto fresh = std::make_shared<cad::LocalApplication>();
    cad::CadMainWindow newWindow(fresh);
    EXPECT_EQ(newWindow.windowTitle(), QStringLiteral("Kasanemi CAD - [Drawing1.dwg]"));
    EXPECT_FALSE(newWindow.saveDrawing()); // no names scripted: the dialog is cancelled
    ASSERT_EQ(ui.fileDialogs().size(), 1);
    EXPECT_TRUE(ui.fileDialogs()[0].save);
    EXPECT_TRUE(ui.fileDialogs()[0].path.endsWith(QStringLiteral("Drawing1.dxf")));
}

} // namespace

namespace {

TEST_F(HostWindowTest, ACutFileIsOpenedWithAMessageAndStaysMarkedInTheStatusLine)
{
    EXPECT_TRUE(window->statusText().isEmpty());
    QFile whole(drawing);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QString cut = folder.filePath("cut.dxf");
    QFile half(cut);
    ASSERT_TRUE(half.open(QIODevice::WriteOnly));
    half.write(bytes.left(bytes.size() * 2 / 3));
    half.close();

    ASSERT_TRUE(window->openDrawing(cut));
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Exclamation);
    EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("「cut.dxf」は "))) << ui.messages()[0].text.toStdString();
    EXPECT_TRUE(window->statusText().contains(QStringLiteral("途中で終わっています")));
    // Opening the sound drawing again clears the status line, without a message.
    ASSERT_TRUE(window->openDrawing(drawing));
    EXPECT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(window->statusText().isEmpty());
}

TEST_F(HostWindowTest, PicturesCutShortAreSaidInTheStatusLine)
{
    application->document().notePicturesCut(0);
    EXPECT_TRUE(window->statusText().isEmpty());
    application->document().notePicturesCut(1234);
    EXPECT_TRUE(window->statusText().contains(QStringLiteral("1234 個のブロック参照を外形の枠だけで描きました")))
        << window->statusText().toStdString();
    EXPECT_TRUE(ui.messages().isEmpty()); // the status line only, never a dialog a picture
}

} // namespace

TEST_F(HostWindowTest, TheWindowFitsTheScreensFreeArea)
{
    // Offscreen, the screen is 800 × 600: smaller than the window would like.
    const QRect free = window->screen()->availableGeometry();
    EXPECT_TRUE(free.contains(window->geometry())) << window->geometry().height() << " in " << free.height();
    EXPECT_GT(window->width(), free.width() / 2);
}

namespace {

QString dwgSample(const QString& name)
{
    return qEnvironmentVariable("KASANEMI_SHARED") + QStringLiteral("/samples/dwg/") + name;
}

TEST_F(HostWindowTest, ADwgOpensUnderItsNameAndSaveOffersSaveAsDxf)
{
    const QString dwg = folder.filePath("plan.dwg");
    ASSERT_TRUE(QFile::copy(dwgSample("libredwg_example_2000.dwg"), dwg));
    ui.scriptOpenFileNames({dwg});
    ASSERT_TRUE(window->openDrawing());
    EXPECT_TRUE(ui.fileDialogs()[0].filter.contains(QStringLiteral("*.dwg")));
    // The conversion's seconds show the please-wait window, closed once it is read.
    ASSERT_EQ(ui.pleaseWaitEvents().size(), 2);
    EXPECT_EQ(ui.pleaseWaitEvents()[0].text, QStringLiteral("DWG 図面を変換して読み込み中．．．"));
    EXPECT_FALSE(ui.pleaseWaitEvents()[1].shown);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kasanemi CAD - [plan.dwg]"));
    EXPECT_EQ(application->activeDocument()->fullName(), QFileInfo(dwg).absoluteFilePath());
    application->activeDocument()->layers()->item("Tavolo 2")->setLayerOn(false);

    // Save says why it cannot and offers Save As; No leaves everything as it is.
    ui.scriptAnswers({app::MsgAnswer::No});
    EXPECT_FALSE(window->saveDrawing());
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].text, QStringLiteral("図面 plan.dwg は DWG 形式のため上書き保存できません。\r"
                                                    "名前を付けて DXF 形式で保存しますか？"));
    EXPECT_EQ(ui.messages()[0].buttons, app::MsgButtons::YesNo);
    EXPECT_TRUE(application->document().isModified());

    // Yes goes to Save As, which proposes the DXF beside the DWG.
    const QString dxf = folder.filePath("plan-layers.dxf");
    ui.scriptAnswers({app::MsgAnswer::Yes});
    ui.scriptSaveFileNames({dxf});
    EXPECT_TRUE(window->saveDrawing());
    EXPECT_TRUE(ui.fileDialogs().last().path.endsWith(QStringLiteral("plan.dxf")));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kasanemi CAD - [plan-layers.dxf]"));
    EXPECT_FALSE(cad::CadDocument::open(dxf)->layer(1).on);
    QFile original(dwg);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_TRUE(original.read(6) == "AC1015");
}

TEST_F(HostWindowTest, ADwgTheLibraryCrashesOnGivesOneMessageAndKeepsTheDrawing)
{
    EXPECT_FALSE(window->openDrawing(dwgSample("libredwg_example_2004.dwg")));
    // The please-wait window is gone before the message comes.
    ASSERT_EQ(ui.pleaseWaitEvents().size(), 2);
    EXPECT_FALSE(ui.pleaseWaitEvents()[1].shown);
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_EQ(ui.messages()[0].icon, app::MsgIcon::Critical);
    EXPECT_TRUE(ui.messages()[0].text.startsWith(QStringLiteral("図面を開けませんでした。\rlibredwg_example_2004.dwg: ")))
        << ui.messages()[0].text.toStdString();
    EXPECT_EQ(application->document().name(), QStringLiteral("plan.dxf"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kasanemi CAD - [plan.dxf]"));
}

} // namespace
