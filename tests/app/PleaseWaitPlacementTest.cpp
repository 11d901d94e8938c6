// Where the please-wait window appears: centred on the screen, each time it
// is shown anew.

#include "app/FrmSplash.h"
#include "app/QtUserInterface.h"

#include <QApplication>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

frmSplash* shownSplash()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* splash = qobject_cast<frmSplash*>(w); splash && splash->isVisible())
            return splash;
    return nullptr;
}

TEST(PleaseWaitPlacement, TheWindowIsCentredOnTheScreenEachTimeItIsShown)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QPoint screenCentre = screen->availableGeometry().center();

    app::QtUserInterface qtUi;
    for (const QString& text : {QStringLiteral("AutoCAD起動中．．．"), QStringLiteral("現在の図面から画層を取得中．．．")}) {
        qtUi.showPleaseWait(text);
        frmSplash* splash = shownSplash();
        ASSERT_NE(splash, nullptr);
        const QRect frame = splash->frameGeometry();
        ASSERT_LT(frame.width(), screen->availableGeometry().width());
        // Centred up to the window decoration, which the window system adds
        // around the placed window.
        const int slackX = (frame.width() - splash->width()) / 2 + 1;
        const int slackY = (frame.height() - splash->height()) / 2 + 1;
        EXPECT_LE(std::abs(frame.center().x() - screenCentre.x()), slackX) << frame.x();
        EXPECT_LE(std::abs(frame.center().y() - screenCentre.y()), slackY) << frame.y();
        qtUi.closePleaseWait();
        EXPECT_EQ(shownSplash(), nullptr);
    }
}

} // namespace
