#include "app/WindowHelpers.h"

#include <QMargins>
#include <QRect>
#include <QWidget>
#include <gtest/gtest.h>

using namespace app;

namespace {

/// Stands in for the CAD host's window list.
class FakeExternalWindows : public ExternalWindows {
public:
    qint64 findWindow(const QString& title) override { return title == m_title ? m_handle : 0; }
    bool raiseWindow(qint64 handle) override
    {
        raised.push_back(handle);
        return handle == m_handle;
    }
    QString m_title = QStringLiteral("AutoCAD 2006 - [図面1.dwg]");
    qint64 m_handle = 0x4242;
    std::vector<qint64> raised;
};

struct ExternalWindowsGuard {
    ~ExternalWindowsGuard() { setExternalWindows(nullptr); }
};

} // namespace

TEST(WindowHelpers, FindsOwnVisibleWindowsByExactTitle)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("画層ビューワ"));
    EXPECT_EQ(GetWindowHandle(QString(), QStringLiteral("画層ビューワ")), 0);  // not shown yet
    window.show();
    const qint32 handle = GetWindowHandle(QString(), QStringLiteral("画層ビューワ"));
    EXPECT_NE(handle, 0);
    EXPECT_EQ(handle, windowHandle(&window));
    EXPECT_EQ(GetWindowHandle(QString(), QStringLiteral("画層")), 0);
    EXPECT_EQ(SetForeground(handle), 1);
    EXPECT_EQ(SetForegroundV(handle).toInt(), 1);
}

TEST(WindowHelpers, ReachesOtherProcessesWindowsThroughTheProvider)
{
    ExternalWindowsGuard guard;
    EXPECT_EQ(GetWindowHandle(QString(), QStringLiteral("AutoCAD 2006 - [図面1.dwg]")), 0);  // no provider
    auto fake = std::make_shared<FakeExternalWindows>();
    setExternalWindows(fake);
    const qint32 handle = GetWindowHandle(QString(), QStringLiteral("AutoCAD 2006 - [図面1.dwg]"));
    EXPECT_EQ(handle, 0x4242);
    EXPECT_EQ(SetForeground(handle), 1);
    EXPECT_EQ(SetForeground(0x777), 0);  // a stale handle fails, it is not reported as raised
    EXPECT_EQ(SetForeground(0), 0);      // the null handle never reaches the provider
    ASSERT_EQ(fake->raised.size(), 2u);
    EXPECT_EQ(fake->raised[0], 0x4242);
    const QVariant v = SetForegroundV(handle);
    EXPECT_EQ(v.typeId(), QMetaType::Int);
    EXPECT_EQ(v.toInt(), 1);
}

TEST(WindowHelpers, TopMostOnlyForOwnWindows)
{
    QWidget window;
    window.setWindowTitle(QStringLiteral("w"));
    window.show();
    EXPECT_EQ(SetTopMost(windowHandle(&window)), 1);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(SetTopMost(0), 0);
    EXPECT_EQ(SetTopMost(0x7fff1234), 0);
}

TEST(WindowHelpers, ANewWindowFitsTheScreensFreeAreaAndIsCentredInIt)
{
    const QMargins frame(4, 28, 4, 4);
    // A 1000-px screen with a panel of 24 px at the top: the wanted size fits.
    const QRect tall(0, 24, 1280, 976);
    const QRect placed = fittedOnScreen(QSize(960, 720), tall, frame);
    EXPECT_EQ(placed.size(), QSize(960, 720));
    EXPECT_TRUE(tall.contains(placed.marginsAdded(frame)));
    EXPECT_EQ(placed.center().x(), tall.marginsRemoved(frame).center().x());
    // A small screen: never past its free area, frame included.
    const QRect small(0, 0, 1024, 600);
    const QRect fitted = fittedOnScreen(QSize(960, 720), small, frame);
    EXPECT_EQ(fitted.width(), 960);
    EXPECT_EQ(fitted.height(), 600 - 28 - 4);
    EXPECT_TRUE(small.contains(fitted.marginsAdded(frame)));
}
