// The tile's linetype box keeps the tile's narrow width, but its open list
// shows every name whole.

#include "tile/LineTypeBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <gtest/gtest.h>

TEST(LineTypeBox, TheOpenListIsAsWideAsItsLongestName)
{
    tile::LineTypeBox box;
    box.addItems({"Continuous", "BORDER", "PHANTOMX2", "DASHDOTX2", "一点鎖線"});
    box.setGeometry(0, 0, 48, 18);  // a tile's box
    box.show();
    box.showPopup();
    QApplication::processEvents();
    QAbstractItemView* list = box.view();
    ASSERT_TRUE(list->isVisible());
    for (int row = 0; row < box.count(); ++row) {
        const QModelIndex index = list->model()->index(row, 0);
        EXPECT_GE(list->viewport()->width(), list->sizeHintForIndex(index).width())
            << box.itemText(row).toStdString();
    }
    EXPECT_EQ(box.width(), 48);  // the box itself keeps its width
    box.hidePopup();
}
