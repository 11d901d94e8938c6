// The tile's linetype box keeps the tile's narrow width, but its open list
// shows every name whole.

#include "tile/LineTypeBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QStyleOptionComboBox>
#include <QStylePainter>
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

namespace {
/// A box of its own style sheet, drawn as every linetype box was before they
/// came to share one.
class OwnStyleSheetBox : public QComboBox {
public:
    explicit OwnStyleSheetBox(QWidget* parent) : QComboBox(parent)
    {
        setStyleSheet(tile::LineTypeBox::lookStyleSheet());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        QStyleOptionComboBox option;
        initStyleOption(&option);
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
};

QImage lookOf(QWidget& box)
{
    return box.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}
} // namespace

TEST(LineTypeBox, LooksAndMeasuresAsABoxOfItsOwnStyleSheet)
{
    QWidget window;
    window.resize(300, 100);
    // The boxes lie on a bar of the current layer's colours, white on red.
    QWidget bar(&window);
    bar.setGeometry(window.rect());
    QPalette red = bar.palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base})
        red.setColor(role, QColor(255, 0, 0));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        red.setColor(role, Qt::white);
    bar.setPalette(red);
    tile::LineTypeBox shared(&bar);
    OwnStyleSheetBox own(&bar);
    for (QComboBox* box : std::initializer_list<QComboBox*>{&shared, &own}) {
        box->addItems({"Continuous", "一点鎖線", "DASHED"});
        box->setGeometry(100, 10, 89, 18);  // a tile's box, away from the pointer
        box->setFocusPolicy(Qt::NoFocus);     // both in the same state
    }
    own.move(100, 40);
    window.show();
    QApplication::processEvents();

    EXPECT_EQ(shared.sizeHint(), own.sizeHint());
    for (int i = 0; i < shared.count(); ++i) {
        shared.setCurrentIndex(i);
        own.setCurrentIndex(i);
        EXPECT_EQ(lookOf(shared), lookOf(own)) << shared.currentText().toStdString();
    }
    QStyleOptionComboBox option;
    option.initFrom(&own);
    option.editable = false;
    option.subControls = QStyle::SC_All;
    const QRect field = own.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &own);
    EXPECT_EQ(shared.nameRect(), field.adjusted(1, 0, -1, 0));
    // The open list too keeps the application's colours.
    EXPECT_EQ(shared.view()->palette().color(QPalette::Text), own.view()->palette().color(QPalette::Text));
    EXPECT_EQ(shared.view()->palette().color(QPalette::Base), own.view()->palette().color(QPalette::Base));
}

TEST(LineTypeBox, BuildsItsListOnlyWhenOpened)
{
    // A tile's box is filled and shown at every refresh but seldom opened:
    // its list costs each tile more than the rest of the box.
    QWidget window;
    auto* box = new tile::LineTypeBox(&window);
    box->addItems({"Continuous", "DASHED"});
    box->setCurrentIndex(1);
    box->sizeHint();
    window.show();
    QApplication::processEvents();
    EXPECT_TRUE(box->findChildren<QAbstractItemView*>().isEmpty());
    box->showPopup();
    EXPECT_FALSE(box->findChildren<QAbstractItemView*>().isEmpty());
    box->hidePopup();
}
