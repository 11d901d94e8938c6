#include "LineTypeBox.h"

#include "app/FittedFont.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <cmath>

namespace tile {

namespace {
const QString kLookName = QStringLiteral("LineTypeBoxLook");
}

LineTypeBox::LineTypeBox(QWidget* parent) : QComboBox(parent)
{
    keepApplicationPalette();
}

void LineTypeBox::keepApplicationPalette()
{
    // A box of the style sheet look takes the application's colours, not its
    // bar's: on the current layer's red bar with white writing the box and
    // its list stay black on white.
    QPalette colours = QApplication::palette(this);
    colours.setResolveMask(~QPalette::ResolveMask(0));
    setPalette(colours);
}

void LineTypeBox::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ApplicationPaletteChange)
        keepApplicationPalette();
    QComboBox::changeEvent(event);
}

QString LineTypeBox::lookStyleSheet()
{
    return QStringLiteral("QComboBox { padding: 0px 1px 0px 2px; } QComboBox::drop-down { width: 11px; }");
}

QComboBox& LineTypeBox::look() const
{
    // One look a window: it shares the window's font and lives as long as
    // the window, which holds every box that draws through it.
    QWidget* top = window();
    auto* look = top->findChild<QComboBox*>(kLookName, Qt::FindDirectChildrenOnly);
    if (!look) {
        look = new QComboBox(top);
        look->setObjectName(kLookName);
        look->hide();
        look->setStyleSheet(lookStyleSheet());
        look->ensurePolished();
    }
    return *look;
}

QRect LineTypeBox::nameRect() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    QComboBox& carrier = look();
    // The label is drawn one pixel inside the edit field on either side.
    return carrier.style()
        ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &carrier)
        .adjusted(1, 0, -1, 0);
}

QFont LineTypeBox::nameFont() const
{
    return app::fontFitting(font(), currentText(), nameRect().width());
}

QSize LineTypeBox::sizeHint() const
{
    // As the toolkit's box measures its contents: the widest name (seven x's
    // for an empty box), a line of text with a pixel above and below.
    const QFontMetrics metrics = fontMetrics();
    QSize contents(count() == 0 ? 7 * metrics.horizontalAdvance(QLatin1Char('x')) : 0,
                   std::max(int(std::ceil(QFontMetricsF(metrics).height())), 14) + 2);
    for (int i = 0; i < count(); ++i)
        contents.setWidth(std::max(contents.width(), metrics.boundingRect(itemText(i)).width()));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    QComboBox& carrier = look();
    return carrier.style()->sizeFromContents(QStyle::CT_ComboBox, &option, contents, &carrier);
}

QSize LineTypeBox::minimumSizeHint() const
{
    return sizeHint();
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
    QComboBox& carrier = look();
    QStyle& style = *carrier.style();
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    style.drawComplexControl(QStyle::CC_ComboBox, &option, &painter, &carrier);
    painter.setFont(nameFont());
    style.drawControl(QStyle::CE_ComboBoxLabel, &option, &painter, &carrier);
}

} // namespace tile
