#include "app/AppInfo.h"
#include "app/ErrorReport.h"
#include "app/FrmSplash.h"
#include "app/QtTranslations.h"
#include "app/QtUserInterface.h"
#include "app/RecordingUserInterface.h"
#include "app/Twips.h"
#include "acad/AcadError.h"

#include <QApplication>
#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>

using namespace app;

TEST(ErrorReport, OneCriticalBoxWithThreeCrSeparatedLines)
{
    RecordingUserInterface rec;
    ScopedUi scoped(rec);
    reportUnexpectedError(QStringLiteral("SetLayerState"), -2145386476, QStringLiteral("キーが見つかりません"));
    acad::AcadError error(-5, QStringLiteral("host gone"));
    reportUnexpectedError(QStringLiteral("CmdView_Click"), error);

    ASSERT_EQ(rec.messages().size(), 2);
    const auto& first = rec.messages()[0];
    EXPECT_EQ(first.text, QStringLiteral("予期せぬエラーが SetLayerState で発生しました。\r番号：-2145386476\r"
                                         "内容：キーが見つかりません"));
    EXPECT_EQ(first.icon, MsgIcon::Critical);
    EXPECT_EQ(first.buttons, MsgButtons::Ok);
    EXPECT_EQ(first.caption, QStringLiteral("Kasanemi Ver4.00"));
    EXPECT_EQ(rec.messages()[1].text,
              QStringLiteral("予期せぬエラーが CmdView_Click で発生しました。\r番号：-5\r内容：host gone"));
}

TEST(RecordingUserInterface, ScriptedThenDefaultAnswers)
{
    RecordingUserInterface rec;
    rec.scriptAnswers({MsgAnswer::No, MsgAnswer::Cancel});
    EXPECT_EQ(rec.message("q1", MsgButtons::YesNo, MsgIcon::Exclamation, "c"), MsgAnswer::No);
    EXPECT_EQ(rec.message("q2", MsgButtons::OkCancel, MsgIcon::Question, "c"), MsgAnswer::Cancel);
    // Script used up: the first button.
    EXPECT_EQ(rec.message("q3", MsgButtons::YesNoCancel, MsgIcon::None, "c"), MsgAnswer::Yes);
    EXPECT_EQ(rec.message("q4", MsgButtons::OkCancel, MsgIcon::None, "c"), MsgAnswer::Ok);
    rec.setDefaultAnswer(MsgAnswer::No);
    EXPECT_EQ(rec.message("q5", MsgButtons::YesNo, MsgIcon::None, "c"), MsgAnswer::No);
    ASSERT_EQ(rec.messages().size(), 5);
    EXPECT_EQ(rec.messages()[1].icon, MsgIcon::Question);

    rec.scriptSaveFileNames({"/tmp/a.xlsx"});
    EXPECT_EQ(rec.saveFileName("save", "/x/y.xlsx", "*.xlsx"), "/tmp/a.xlsx");
    EXPECT_TRUE(rec.saveFileName("save", "/x/y.xlsx", "*.xlsx").isEmpty());  // cancelled
    ASSERT_EQ(rec.fileDialogs().size(), 2);
    EXPECT_EQ(rec.fileDialogs()[0].path, "/x/y.xlsx");

    rec.showPleaseWait("wait");
    EXPECT_TRUE(rec.pleaseWaitShown());
    rec.closePleaseWait();
    EXPECT_FALSE(rec.pleaseWaitShown());
    EXPECT_EQ(rec.pleaseWaitEvents().size(), 2);
}

TEST(ScopedUi, RestoresThePreviousInterface)
{
    RecordingUserInterface outer;
    ScopedUi a(outer);
    {
        RecordingUserInterface inner;
        ScopedUi b(inner);
        EXPECT_EQ(&ui(), &inner);
    }
    EXPECT_EQ(&ui(), &outer);
}

TEST(QtUserInterface, LoneCarriageReturnsBecomeLineBreaksOnScreen)
{
    EXPECT_EQ(textForScreen("a\rb"), "a\nb");
    EXPECT_EQ(textForScreen("a\r\nb\r"), "a\nb\n");
    EXPECT_EQ(textForScreen("a\nb"), "a\nb");
}

TEST(FrmSplash, ShowsMessageTopmostWithTheTitleAndReplacesIt)
{
    QtUserInterface qtUi;
    qtUi.showPleaseWait(QStringLiteral("AutoCAD起動中．．．"));
    frmSplash* splash = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<frmSplash*>(w))
            splash = s;
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash->windowTitle(), QStringLiteral("Kasanemi Ver4.00"));
    EXPECT_EQ(splash->LblMsg()->text(), QStringLiteral("AutoCAD起動中．．．"));
    EXPECT_EQ(splash->size(), QSize(twipsToPixels(3945), twipsToPixels(600)));

    qtUi.showPleaseWait(QStringLiteral("現在の図面から画層を取得中．．．"));
    int splashCount = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        splashCount += qobject_cast<frmSplash*>(w) ? 1 : 0;
    EXPECT_EQ(splashCount, 1);  // the message is replaced, no second window
    EXPECT_EQ(splash->LblMsg()->text(), QStringLiteral("現在の図面から画層を取得中．．．"));

    qtUi.closePleaseWait();
    qtUi.closePleaseWait();  // harmless when none is shown
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<frmSplash*>(w), nullptr);
}

namespace {

/// What a message box showed: its buttons' texts and the lines of its text as
/// laid out, read while it is open, before the given button is pressed.
struct ShownBox {
    QStringList buttons;
    bool everyLineFits = false;
};

ShownBox showAndPress(QtUserInterface& qtUi, const QString& text, MsgButtons buttons, QMessageBox::StandardButton press,
                      MsgAnswer* answer)
{
    ShownBox shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        for (QAbstractButton* b : box->buttons())
            shown.buttons << b->text();
        // The box lays itself out again on a posted request: measure after it.
        QCoreApplication::sendPostedEvents(box, QEvent::LayoutRequest);
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        shown.everyLineFits = true;
        for (const QString& line : label->text().split(u'\n'))
            shown.everyLineFits &= label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width();
        box->button(press)->click();
    });
    *answer = qtUi.message(text, buttons, MsgIcon::Exclamation, QStringLiteral("Kasanemi Ver4.00"));
    return shown;
}

} // namespace

TEST(QtUserInterface, StandardButtonsSpeakJapaneseWithQtsTranslations)
{
    ASSERT_TRUE(installQtTranslations(*QCoreApplication::instance()))
        << "qtbase_ja.qm is missing: scripts/setup.sh installs qt6-translations-l10n";
    QtUserInterface qtUi;
    MsgAnswer answer = MsgAnswer::Ok;
    const ShownBox shown = showAndPress(qtUi, QStringLiteral("AutoCADが起動されていません。\r起動して宜しいですか？"),
                                        MsgButtons::YesNo, QMessageBox::No, &answer);
    EXPECT_EQ(answer, MsgAnswer::No);
    ASSERT_EQ(shown.buttons.size(), 2);
    for (const QString& text : shown.buttons)
        EXPECT_TRUE(text.startsWith(QStringLiteral("はい")) || text.startsWith(QStringLiteral("いいえ")))
            << text.toStdString();
}

TEST(QtUserInterface, AMessageWhoseLinesFitTheScreenKeepsEveryLineWhole)
{
    QtUserInterface qtUi;
    MsgAnswer answer = MsgAnswer::Cancel;
    const ShownBox shown = showAndPress(
        qtUi,
        QStringLiteral("前回更新した後にAutoCAD側で画層の追加・削除\r"
                       "又は線種の追加・削除をした可能性がある為更新ボタンで再度更新して下さい。"),
        MsgButtons::Ok, QMessageBox::Ok, &answer);
    EXPECT_EQ(answer, MsgAnswer::Ok);
    EXPECT_TRUE(shown.everyLineFits);
}
