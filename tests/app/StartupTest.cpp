#include "app/DeferredRemoval.h"
#include "app/IniSettings.h"
#include "app/RecordingUserInterface.h"
#include "app/Twips.h"
#include "viewer/FrmWMF.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include "OwnProgramFolder.h"
#include "TestFiles.h"

using namespace app;

namespace {

using testsupport::readAll;
using testsupport::writeAll;

class Startup : public OwnProgramFolder {
protected:
    QString ini() const { return home() + "/QEMTINF.ini"; }

    RecordingUserInterface m_ui;
    ScopedUi m_scopedUi{m_ui};
};

} // namespace

TEST_F(Startup, FirstStartUsesDefaultsAndCloseSavesThePosition)
{
    frmWMF window;
    QSignalSpy refresh(&window, &frmWMF::refreshRequested);
    window.Form_Load(QString());
    EXPECT_EQ(window.objectName(), "frmWMF");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("画層ビューワ"));
    EXPECT_EQ(window.StatusMain()->objectName(), "StatusMain");
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(QFile::exists(ini()));
    EXPECT_EQ(readAll(ini()), QByteArray());  // empty until the first close
    EXPECT_EQ(window.frameGeometry(), QRect(0, 0, twipsToPixels(5820), twipsToPixels(8625)));
    EXPECT_EQ(refresh.count(), 0);
    EXPECT_GE(m_ui.processEventsCount(), 1);

    QStringList steps;
    for (int i = 0; i < window.CboZoom()->count(); ++i)
        steps << window.CboZoom()->itemText(i);
    EXPECT_EQ(steps.join(','), "5,10,15,20,25,30,35,40,45,50,55,60,65,70,75,80,85,90,95");
    EXPECT_EQ(window.CboZoom()->currentText(), "40");

    window.move(100, 200);
    window.resize(400, 300);
    const QRect outer = window.frameGeometry();
    window.close();
    const QString expected = QStringLiteral("[WMFPosi]\r\nleft=%1\r\ntop=%2\r\nwidth=%3\r\nheight=%4\r\n")
                                 .arg(pixelsToTwips(outer.x()))
                                 .arg(pixelsToTwips(outer.y()))
                                 .arg(pixelsToTwips(outer.width()))
                                 .arg(pixelsToTwips(outer.height()));
    EXPECT_EQ(QString::fromLatin1(readAll(ini())), expected);

    // The next start restores the same outer frame: the window neither moves
    // nor grows by its frame from one start to the next.
    frmWMF again;
    again.Form_Load(QString());
    EXPECT_EQ(again.frameGeometry(), outer);
    again.close();
}

TEST_F(Startup, SavedPositionIsAppliedAsReadEvenOffScreen)
{
    writeAll(ini(), "[wmfposi]\nLEFT=-48000\ntop=-48000\nwidth=4320.9\nheight=garbage\n");
    frmWMF window;
    window.Form_Load(QString());
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(twipsToPixels(-48000), twipsToPixels(-48000)));
    EXPECT_EQ(window.frameGeometry().width(), twipsToPixels(4320));  // the fraction is dropped
    window.close();
    // The file keeps its own spelling and layout; only values change.
    EXPECT_TRUE(readAll(ini()).startsWith("[wmfposi]\nLEFT=-48000\ntop=-48000\nwidth="));
}

TEST_F(Startup, ReadOnlySettingsKeepTheirContentsAfterClose)
{
    const QByteArray before = "[WMFPosi]\r\nleft=150\r\ntop=150\r\nwidth=6000\r\nheight=4500\r\n";
    writeAll(ini(), before);
    QFile::setPermissions(ini(), QFile::ReadOwner);
    frmWMF window;
    window.Form_Load(QString());
    EXPECT_EQ(window.frameGeometry(), QRect(10, 10, 400, 300));  // 150 twips are 10 pixels
    window.move(50, 50);
    window.close();
    EXPECT_EQ(readAll(ini()), before);
}

TEST_F(Startup, StartsWithDefaultsWhenNoSettingsFileCanBeMade)
{
    qputenv("KASANEMI_HOME", QFile::encodeName(home() + "/no/such/folder"));
    frmWMF window;
    window.Form_Load(QString());
    EXPECT_EQ(window.frameGeometry().size(), QSize(twipsToPixels(5820), twipsToPixels(8625)));
    window.close();
    EXPECT_TRUE(m_ui.messages().isEmpty());  // nothing said
    EXPECT_FALSE(QFileInfo::exists(home() + "/no"));
}

TEST_F(Startup, CommandLineIsKeptOnlyWhenItNamesAFile)
{
    const QString list = home() + "/layer list.csv";  // a name with a space, given unquoted
    writeAll(list, "壁\r\n");
    {
        frmWMF window;
        // Only whether start-up asks for the refresh is tested here, not the refresh.
        QObject::disconnect(&window, &frmWMF::refreshRequested, &window, nullptr);
        QSignalSpy refresh(&window, &frmWMF::refreshRequested);
        window.Form_Load(list);
        EXPECT_EQ(window.sCommandCSV(), list);
        EXPECT_EQ(refresh.count(), 1);
        window.close();
    }
    for (const QString& commandLine : {QString(), '"' + list + '"', home(), home() + "/missing.csv"}) {
        frmWMF window;
        QObject::disconnect(&window, &frmWMF::refreshRequested, &window, nullptr);
        QSignalSpy refresh(&window, &frmWMF::refreshRequested);
        window.Form_Load(commandLine);
        EXPECT_TRUE(window.sCommandCSV().isEmpty()) << commandLine.toStdString();
        EXPECT_EQ(refresh.count(), 0);
        window.close();
    }
}

TEST_F(Startup, CloseDeletesTheWorkFolderButNothingItLinksTo)
{
    const QString outside = home() + "/elsewhere";
    QDir().mkpath(outside);
    writeAll(outside + "/keep.txt", "x");
    QDir().mkpath(home() + "/LAYER/SYS");
    writeAll(home() + "/LAYER/SYS/all.wmf", "x");
    QFile::link(outside, home() + "/LAYER/link");
    {
        frmWMF window;
        window.Form_Load(QString());
        EXPECT_TRUE(QFileInfo::exists(home() + "/LAYER"));
        window.close();
    }
    EXPECT_FALSE(QFileInfo::exists(home() + "/LAYER"));
    EXPECT_TRUE(QFile::exists(outside + "/keep.txt"));
    // Its files went off the user's thread; nothing of it is left beside.
    waitForDeferredRemovals();
    EXPECT_TRUE(QDir(home()).entryList({".LAYER*"}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    // A start and close without a refresh makes no work folder, and the
    // start deletes what a viewer killed while deleting left set aside.
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ::waitpid(ended, nullptr, 0);
    const QString left = home() + QStringLiteral("/.LAYER.gone-%1-abcdef").arg(ended);
    QDir().mkpath(left + "/SYS");
    writeAll(left + "/SYS/all.wmf", "x");
    frmWMF window;
    window.Form_Load(QString());
    waitForDeferredRemovals();
    EXPECT_FALSE(QFileInfo::exists(left));
    window.close();
    EXPECT_FALSE(QFileInfo::exists(home() + "/LAYER"));
}
