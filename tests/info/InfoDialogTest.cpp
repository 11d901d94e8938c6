#include "info/InfoText.h"
#include "info/LinkLabel.h"
#include "info/clsInfo.h"

#include "app/RecordingUserInterface.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using app::RecordingUserInterface;
using info::LinkLabel;

namespace {

LinkLabel* link(info::clsInfo& dialog, const char* name)
{
    return dialog.findChild<LinkLabel*>(QString::fromLatin1(name));
}

QString text(info::clsInfo& dialog, const char* name)
{
    return dialog.findChild<QPlainTextEdit*>(QString::fromLatin1(name))->toPlainText();
}

} // namespace

TEST(InfoDialog, ContactBlockAndWebAddressAreFilledWhenItOpens)
{
    RecordingUserInterface recorder;
    app::ScopedUi scoped(recorder);
    info::clsInfo dialog(QStringLiteral("/opt/kasanemi"));
    dialog.pr_subSetContact(QStringLiteral("\r\nline one\r\nline two"));

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(text(dialog, "TxtMsg"), QStringLiteral("\nline one\nline two"));
    const QString contact = text(dialog, "TxtURL");
    EXPECT_TRUE(contact.startsWith(QStringLiteral("-----")));
    EXPECT_TRUE(contact.contains(info::kWebPageUrl));
    EXPECT_TRUE(contact.contains(info::kSupportMail));
    EXPECT_FALSE(contact.contains(info::kUrlPlaceholder));
    EXPECT_FALSE(contact.contains(info::kMailPlaceholder));
    EXPECT_EQ(link(dialog, "LblURL")->text(), info::kWebPageUrl);
    EXPECT_EQ(link(dialog, "LblInstallPath")->text(), QStringLiteral("ソフトのインストール先を表示"));
    EXPECT_EQ(link(dialog, "LblReadMe")->text(), QStringLiteral("ReadMeを表示"));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("CmdClose"))->text(), QStringLiteral("閉じる"));
}

TEST(InfoDialog, EachLinkOpensItsTargetAndTurnsDarkRedOnlyOnceClicked)
{
    RecordingUserInterface recorder;
    app::ScopedUi scoped(recorder);
    info::clsInfo dialog(QStringLiteral("/opt/kasanemi"));
    dialog.pr_subSetContact(QStringLiteral("x"));
    dialog.show();

    LinkLabel* web = link(dialog, "LblURL");
    LinkLabel* folder = link(dialog, "LblInstallPath");
    LinkLabel* readMe = link(dialog, "LblReadMe");
    const QColor unvisited = web->textColor();
    ASSERT_NE(unvisited, info::clsInfo::visitedColor());

    QTest::mouseClick(web, Qt::LeftButton);
    ASSERT_EQ(recorder.openedUrls().size(), 1);
    EXPECT_EQ(recorder.openedUrls()[0], QUrl(QStringLiteral("https://kasanemi.example.org/")));
    EXPECT_EQ(web->textColor(), QColor(192, 0, 0));
    EXPECT_EQ(folder->textColor(), unvisited);
    EXPECT_EQ(readMe->textColor(), unvisited);

    QTest::mouseClick(folder, Qt::LeftButton);
    QTest::mouseClick(readMe, Qt::LeftButton);
    ASSERT_EQ(recorder.openedUrls().size(), 3);
    EXPECT_EQ(recorder.openedUrls()[1], QUrl::fromLocalFile(QStringLiteral("/opt/kasanemi")));
    EXPECT_EQ(recorder.openedUrls()[2], QUrl::fromLocalFile(QStringLiteral("/opt/kasanemi/ReadMe.txt")));
    EXPECT_EQ(folder->textColor(), QColor(192, 0, 0));
    EXPECT_EQ(readMe->textColor(), QColor(192, 0, 0));

    // A second click opens again and the colour stays.
    QTest::mouseClick(web, Qt::LeftButton);
    EXPECT_EQ(recorder.openedUrls().size(), 4);
    EXPECT_EQ(web->textColor(), QColor(192, 0, 0));
    // A right click is no click on a link.
    QTest::mouseClick(readMe, Qt::RightButton);
    EXPECT_EQ(recorder.openedUrls().size(), 4);
}

TEST(InfoDialog, ShowsModallyWithTheBuiltTextAndClosesWithTheCloseButton)
{
    RecordingUserInterface recorder;
    app::ScopedUi scoped(recorder);
    QString shownText;
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<info::clsInfo*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        wasModal = dialog->isModal();
        shownText = text(*dialog, "TxtMsg");
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CmdClose")), Qt::LeftButton);
    });
    info::pu_subInfoShow(nullptr, QCoreApplication::applicationFilePath(), QString::fromLocal8Bit(qgetenv("KASANEMI_BIN")));

    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(shownText.contains(QStringLiteral("　【ソフト名称 】Kasanemi")));
    EXPECT_TRUE(shownText.startsWith(QLatin1Char('\n')));
    EXPECT_TRUE(recorder.messages().isEmpty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(InfoDialog, AFailureToBuildTheTextIsReportedAndNoDialogOpens)
{
    RecordingUserInterface recorder;
    app::ScopedUi scoped(recorder);
    bool dialogOpened = false;
    QTimer::singleShot(0, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            dialogOpened = true;
            modal->close();
        }
    });
    info::pu_subInfoShow(nullptr, QStringLiteral("/nonexistent/kasanemi"), QStringLiteral("/nonexistent"));

    EXPECT_FALSE(dialogOpened);
    ASSERT_EQ(recorder.messages().size(), 1);
    const auto& message = recorder.messages()[0];
    EXPECT_TRUE(message.text.startsWith(QStringLiteral("予期せぬエラー\r\n")));
    EXPECT_TRUE(message.text.contains(QStringLiteral("/nonexistent/kasanemi")));
    EXPECT_EQ(message.caption, QStringLiteral("バージョン情報"));
    EXPECT_EQ(message.icon, app::MsgIcon::Critical);
    EXPECT_EQ(message.buttons, app::MsgButtons::Ok);
    QCoreApplication::processEvents(); // let the pending check run before the next test
}

TEST(InfoDialog, ReadMeIsShippedBesideTheExecutables)
{
    const QString bin = QString::fromLocal8Bit(qgetenv("KASANEMI_BIN"));
    ASSERT_FALSE(bin.isEmpty());
    QFile readMe(bin + QStringLiteral("/") + info::kReadMeFileName);
    ASSERT_TRUE(readMe.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(readMe.readAll()).contains(QStringLiteral("Kasanemi")));
}
