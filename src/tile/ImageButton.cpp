#include "ImageButton.h"

#include <QMouseEvent>
#include <QPainter>

namespace tile {

ImageButton::ImageButton(QWidget* parent) : QLabel(parent)
{
    setAlignment(Qt::AlignCenter);
}

void ImageButton::showPicture(const QPixmap& pixmap, const QString& pictureName)
{
    // Every tile shows its faces again each time it reads its layer, most of
    // them unchanged: an unchanged face is neither set nor repainted.
    if (pictureName == m_pictureName && pixmap.cacheKey() == this->pixmap().cacheKey())
        return;
    m_pictureName = pictureName;
    setPixmap(pixmap);
}

void ImageButton::setFillColor(const QColor& color)
{
    if (color == m_fillColor && autoFillBackground())
        return;
    m_fillColor = color;
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
}

void ImageButton::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!m_fillColor.isValid())
        return;
    // A thin outline keeps the swatch seen where its colour is the bar's own:
    // white (colour 7) on the white bar, red on the current layer's red bar.
    QPainter painter(this);
    painter.setPen(QColor(96, 96, 96));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ImageButton::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    QLabel::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

} // namespace tile
