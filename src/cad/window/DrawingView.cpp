#include "DrawingView.h"

#include "cad/CadDocument.h"
#include "cad/render/PainterBackend.h"

#include <QPainter>

namespace cad {

DrawingView::DrawingView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    m_settle.setSingleShot(true);
    m_settle.setInterval(200);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        m_picture = QImage();
        update();
    });
}

void DrawingView::setDocument(std::shared_ptr<CadDocument> document)
{
    m_document = std::move(document);
    m_picture = QImage();
    update();
}

void DrawingView::redraw()
{
    m_settle.start();
}

void DrawingView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_picture = QImage();
}

void DrawingView::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    if (m_picture.isNull() && m_document && !size().isEmpty()) {
        m_picture = QImage(size() * ratio, QImage::Format_RGB32);
        m_picture.setDevicePixelRatio(ratio);
        m_picture.fill(Qt::white);
        QPainter picturePainter(&m_picture);
        picturePainter.setRenderHint(QPainter::Antialiasing);
        const std::size_t outlined =
            render::paintDrawing(picturePainter, QRectF(QPointF(0, 0), QSizeF(size())), m_document->drawing());
        emit drawn(qulonglong(outlined));
    }
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(rect(), Qt::white);
    else
        painter.drawImage(QPointF(0, 0), m_picture);
}

} // namespace cad
