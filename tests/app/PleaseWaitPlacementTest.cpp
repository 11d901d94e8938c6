// Where the please-wait window appears: centred on the screen, frame and
// all, each time it is shown anew.

#include "app/FrmSplash.h"
#include "app/QtUserInterface.h"
#include "app/WindowHelpers.h"

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
        // The whole window, its frame included, up to the rounding of an odd size.
        EXPECT_LE(std::abs(frame.center().x() - screenCentre.x()), 1) << frame.x();
        EXPECT_LE(std::abs(frame.center().y() - screenCentre.y()), 1) << frame.y();
        qtUi.closePleaseWait();
        EXPECT_EQ(shownSplash(), nullptr);
    }
}

TEST(PleaseWaitPlacement, AWindowWithAFrameIsCentredFrameAndAll)
{
    // A title bar of 30 and borders of 4: the client area sits 13 below the
    // middle, so that the whole window is in the middle.
    const QRect available(0, 0, 1280, 900);
    const QMargins frame(4, 30, 4, 4);
    const QRect client = app::fittedOnScreen(QSize(263, 40), available, frame);
    EXPECT_EQ(client.size(), QSize(263, 40));
    EXPECT_EQ(client.marginsAdded(frame).center(), available.center());
    EXPECT_EQ(client.center() - available.center(), QPoint(0, 13));
}

} // namespace
