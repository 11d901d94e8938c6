#include "WmfImage.h"

#include "TwipsPlacement.h"
#include "app/Twips.h"

#include <QMouseEvent>
#include <QPainter>

namespace tile {

WmfImage::WmfImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

bool WmfImage::loadPicture(const QString& path, QString* error)
{
    metafile::WmfPicture picture;
    const bool ok = picture.load(path, error);
    m_picture = ok ? picture : metafile::WmfPicture();
    if (!m_stretch)
        setStretch(false);
    update();
    return ok;
}

void WmfImage::clearPicture()
{
    m_picture = metafile::WmfPicture();
    update();
}

void WmfImage::setStretch(bool stretch)
{
    m_stretch = stretch;
    if (!stretch && hasPicture()) {
        const QSizeF natural = m_picture.sizeTwips();
        setTwipsGeometry(QRectF(m_twips.topLeft(), natural));
    }
}

void WmfImage::setTwipsGeometry(const QRectF& twips)
{
    m_twips = twips;
    placeInTwips(*this, twips);
}

void WmfImage::paintEvent(QPaintEvent*)
{
    if (!hasPicture())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_picture.draw(painter, QRectF(rect()));
}

QPointF WmfImage::toTwips(const QPointF& pixels) const
{
    return {app::pixelsToTwips(pixels.x()), app::pixelsToTwips(pixels.y())};
}

void WmfImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    emit mousePressed(event->button(), event->modifiers(), toTwips(event->position()));
}

void WmfImage::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->buttons(), event->modifiers(), toTwips(event->position()));
}

void WmfImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_leftPressed && event->button() == Qt::LeftButton
                       && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    emit mouseReleased(event->button(), event->modifiers(), toTwips(event->position()));
    if (click)
        emit clicked();
}

void WmfImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The toolkit sends the second press as a double-click; the release that
    // follows arrives as an ordinary release, which must not click again.
    m_leftPressed = false;
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

} // namespace tile
