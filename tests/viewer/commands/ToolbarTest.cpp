#include "viewer/LayerFilterBox.h"
#include "viewer/Toolbar1.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <map>
#include <stdexcept>

using viewer::Toolbar1;

namespace {

/// A toolbar whose commands count their runs by button index.
struct CountingToolbar {
    CountingToolbar() : toolbar(&window)
    {
        window.addToolBar(&toolbar);
        const auto count = [this](int index) { return [this, index] { ++runs[index]; }; };
        toolbar.setCommands({count(3), count(4), count(5), count(7), count(9), count(11), count(12), count(13),
                             count(14), count(15), count(17), count(0)});
    }
    QMainWindow window;
    Toolbar1 toolbar;
    std::map<int, int> runs;
};

} // namespace

TEST(Toolbar, SeventeenButtonsWithSeparatorsPicturesAndTooltips)
{
    CountingToolbar t;
    const std::map<int, QString> tooltips{
        {3, QStringLiteral("ズームアップ")},
        {4, QStringLiteral("ズームダウン")},
        {5, QStringLiteral("全体表示")},
        {7, QStringLiteral("更新（アクティブ図面の画像を読み込みます）")},
        {9, QStringLiteral("画層の一覧をExcelへ出力")},
        {11, QStringLiteral("選択したリストの画層を表示に設定します")},
        {12, QStringLiteral("選択したリストの画層を非表示に設定します")},
        {13, QStringLiteral("選択したリスト及びリストに該当するビューを削除します")},
        {14, QStringLiteral("全ての画層を表示に設定します")},
        {15, QStringLiteral("全ての画層を非表示に設定します")},
    };
    EXPECT_EQ(t.toolbar.button(0), nullptr);
    EXPECT_EQ(t.toolbar.button(18), nullptr);
    // After the seventeen: a separator, the undo button, a spacer and the filter box.
    ASSERT_EQ(t.toolbar.actions().size(), 17 + 4);
    for (int i = 1; i <= 17; ++i) {
        QAction* button = t.toolbar.button(i);
        ASSERT_NE(button, nullptr) << i;
        EXPECT_EQ(t.toolbar.actions().at(i - 1), button) << "button " << i << " out of order";
        const bool separator = i == 6 || i == 8 || i == 10 || i == 16;
        EXPECT_EQ(button->isSeparator(), separator) << i;
        const bool empty = separator || i == 1 || i == 2;
        EXPECT_EQ(button->icon().isNull(), empty) << i;
        if (!empty) {
            // Every picture is drawn, not an empty or missing resource.
            const QImage picture = button->icon().pixmap(16, 16).toImage();
            int painted = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    painted += qAlpha(picture.pixel(x, y)) > 0;
            EXPECT_GT(painted, 20) << "picture of button " << i;
        }
        if (tooltips.count(i))
            EXPECT_EQ(button->toolTip(), tooltips.at(i)) << i;
    }
    EXPECT_FALSE(t.toolbar.button(17)->toolTip().isEmpty());
}

TEST(Toolbar, EachButtonRunsItsOwnCommandAndTheOthersNothing)
{
    CountingToolbar t;
    for (int i = 1; i <= 17; ++i)
        t.toolbar.Toolbar1_ButtonClick(i);
    for (int i : {1, 2, 6, 8, 10, 16})
        EXPECT_EQ(t.runs.count(i), 0u) << i;
    for (int i : {3, 4, 5, 7, 9, 11, 12, 13, 14, 15, 17})
        EXPECT_EQ(t.runs[i], 1) << i;
    EXPECT_EQ(t.runs.size(), 11u);

    // A real click on a button's widget goes the same way.
    t.window.show();
    QTest::mouseClick(qobject_cast<QToolButton*>(t.toolbar.widgetForAction(t.toolbar.button(13))), Qt::LeftButton);
    EXPECT_EQ(t.runs[13], 2);
    QTest::mouseClick(t.toolbar.widgetForAction(t.toolbar.button(1)), Qt::LeftButton);
    EXPECT_EQ(t.runs.size(), 11u);
}

TEST(Toolbar, UndoButtonAndLayerFilterFollowAtTheRightEnd)
{
    CountingToolbar t;
    QAction* undo = t.toolbar.undoButton();
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(t.toolbar.actions().indexOf(undo), 18);
    EXPECT_TRUE(t.toolbar.actions().at(17)->isSeparator());
    EXPECT_EQ(undo->toolTip(), QStringLiteral("直前の画層状態に戻す"));
    EXPECT_FALSE(undo->isEnabled()); // nothing to take back yet
    const QImage picture = undo->icon().pixmap(16, 16).toImage();
    int painted = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            painted += qAlpha(picture.pixel(x, y)) > 0;
    EXPECT_GT(painted, 20);
    undo->setEnabled(true);
    undo->trigger();
    EXPECT_EQ(t.runs[0], 1);

    t.window.resize(900, 200);
    t.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&t.window));
    QLineEdit* filter = t.toolbar.layerFilter();
    ASSERT_NE(filter, nullptr);
    EXPECT_TRUE(filter->isVisible());
    EXPECT_GT(filter->x(), t.toolbar.widgetForAction(undo)->geometry().right());
    EXPECT_GE(filter->geometry().right(), t.toolbar.width() - 16); // at the right end, not after the buttons
}

TEST(Toolbar, RefreshDisablesTheWindowWhileItRunsEvenWhenItFails)
{
    QMainWindow window;
    Toolbar1 toolbar(&window);
    window.addToolBar(&toolbar);
    bool enabledDuringRefresh = true;
    bool fail = false;
    toolbar.setCommands({.refresh = [&] {
        enabledDuringRefresh = window.isEnabled();
        if (fail)
            throw std::runtime_error("refresh failed");
    }});
    toolbar.Toolbar1_ButtonClick(7);
    EXPECT_FALSE(enabledDuringRefresh);
    EXPECT_TRUE(window.isEnabled());

    fail = true;
    EXPECT_THROW(toolbar.Toolbar1_ButtonClick(7), std::runtime_error);
    EXPECT_TRUE(window.isEnabled());
}

TEST(Toolbar, ZoomBoxLiesOverTheTwoEmptyButtons)
{
    CountingToolbar t;
    auto* zoom = new QComboBox;
    zoom->addItems({QStringLiteral("100%"), QStringLiteral("200%")});
    t.toolbar.placeOverEmptyButtons(zoom, 41);
    t.window.resize(600, 300);
    t.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&t.window));

    const QRect first = t.toolbar.widgetForAction(t.toolbar.button(1))->geometry();
    const QRect second = t.toolbar.widgetForAction(t.toolbar.button(2))->geometry();
    const QRect third = t.toolbar.widgetForAction(t.toolbar.button(3))->geometry();
    EXPECT_EQ(zoom->parentWidget(), &t.toolbar);
    EXPECT_EQ(zoom->x(), first.x());
    EXPECT_EQ(zoom->width(), 41);
    EXPECT_GE(second.right() + 1, zoom->geometry().right());
    EXPECT_LE(zoom->geometry().right(), third.left());
    EXPECT_TRUE(zoom->isVisible());
}
