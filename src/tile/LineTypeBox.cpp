#include "LineTypeBox.h"

#include "app/FittedFont.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace tile {

LineTypeBox::LineTypeBox(QWidget* parent) : QComboBox(parent)
{
    setStyleSheet(QStringLiteral("QComboBox { padding: 0px 1px 0px 2px; } QComboBox::drop-down { width: 11px; }"));
}

QRect LineTypeBox::nameRect() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    // The label is drawn one pixel inside the edit field on either side.
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this)
        .adjusted(1, 0, -1, 0);
}

QFont LineTypeBox::nameFont() const
{
    return app::fontFitting(font(), currentText(), nameRect().width());
}

void LineTypeBox::showPopup()
{
    // The popup is as wide as the box unless the list asks for more.
    int width = view()->sizeHintForColumn(0) + 2 * view()->frameWidth();
    if (count() > maxVisibleItems())
        width += view()->verticalScrollBar()->sizeHint().width();
    view()->setMinimumWidth(width);
    QComboBox::showPopup();
}

void LineTypeBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.setFont(nameFont());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

} // namespace tile
