// Rows of Latin letters alone are as high as rows with Japanese.

#include "app/EvenRowsDelegate.h"

#include <QListWidget>
#include <gtest/gtest.h>

TEST(EvenRowsDelegate, LatinAndJapaneseRowsAreEquallyHigh)
{
    QListWidget list;
    list.addItems({"DIM-C60", "壁", "A-WALL-外壁", "0"});
    list.resize(200, 200);
    list.show();
    const auto heights = [&] {
        std::vector<int> h;
        for (int row = 0; row < list.count(); ++row)
            h.push_back(list.visualItemRect(list.item(row)).height());
        return h;
    };
    // Without it the toolkit lays Latin rows out lower (the case it mends).
    const std::vector<int> plain = heights();
    EXPECT_LT(plain[0], plain[1]);

    list.setItemDelegate(new app::EvenRowsDelegate(&list));
    list.doItemsLayout();
    const std::vector<int> even = heights();
    for (int h : even)
        EXPECT_EQ(h, even[1]);
    EXPECT_EQ(even[1], plain[1]);  // Japanese rows keep their height
}
