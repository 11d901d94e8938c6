#include "DrawingView.h"

#include "cad/CadDocument.h"
#include "cad/render/PainterBackend.h"

#include <QPainter>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

namespace cad {
namespace {

DrawingView::Picture drawPicture(const std::shared_ptr<const Drawing>& drawing, QSize size, qreal ratio)
{
    // The picture takes only the time the processor has spare, so that the
    // thread answering the bus (and the macros it runs) come first.
    QThread::currentThread()->setPriority(QThread::IdlePriority);
    DrawingView::Picture drawn;
    drawn.image = QImage(size * ratio, QImage::Format_RGB32);
    drawn.image.setDevicePixelRatio(ratio);
    drawn.image.fill(Qt::white);
    QPainter painter(&drawn.image);
    painter.setRenderHint(QPainter::Antialiasing);
    drawn.outlinedInserts = render::paintDrawing(painter, QRectF(QPointF(0, 0), QSizeF(size)), *drawing);
    painter.end();
    QThread::currentThread()->setPriority(QThread::NormalPriority);
    return drawn;
}

bool sameLayerNames(const Drawing& a, const Drawing& b)
{
    if (a.layers.size() != b.layers.size())
        return false;
    for (std::size_t i = 0; i < a.layers.size(); ++i) {
        if (a.layers[i].name != b.layers[i].name)
            return false;
    }
    return true;
}

} // namespace

DrawingView::DrawingView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    m_settle.setSingleShot(true);
    m_settle.setInterval(200);
    connect(&m_settle, &QTimer::timeout, this, &DrawingView::startDrawing);
    connect(&m_drawing, &QFutureWatcher<Picture>::finished, this, &DrawingView::takePicture);
}

DrawingView::~DrawingView()
{
    // The worker holds its own copy of the drawing; only its answer must not
    // arrive at a view that is gone.
    m_drawing.disconnect(this);
    m_drawing.waitForFinished();
}

void DrawingView::setDocument(std::shared_ptr<CadDocument> document)
{
    m_document = std::move(document);
    m_picture = QImage();
    m_copy.reset();  // a drawing still running keeps the old copy alive
    m_staleDrawing = m_drawing.isRunning();
    redraw();
    update();
}

void DrawingView::redraw()
{
    m_settle.start();
}

bool DrawingView::isDrawing() const
{
    return m_settle.isActive() || m_drawing.isRunning() || m_again;
}

void DrawingView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    redraw();
}

void DrawingView::refreshCopy()
{
    const Drawing& live = m_document->drawing();
    if (!m_copy || !sameLayerNames(*m_copy, live)) {
        m_copy = std::make_shared<Drawing>(live);
        return;
    }
    m_copy->layers = live.layers;
    m_copy->clayer = live.clayer;
}

void DrawingView::startDrawing()
{
    if (m_drawing.isRunning()) {
        m_again = true;
        return;
    }
    m_again = false;
    m_staleDrawing = false;
    if (!m_document || size().isEmpty())
        return;
    refreshCopy();
    m_drawing.setFuture(QtConcurrent::run(drawPicture, std::shared_ptr<const Drawing>(m_copy), size(),
                                          devicePixelRatioF()));
}

void DrawingView::takePicture()
{
    if (m_staleDrawing) {
        // A picture of the drawing that was replaced meanwhile.
        m_staleDrawing = false;
        startDrawing();
        return;
    }
    const Picture drawn = m_drawing.result();
    m_picture = drawn.image;
    update();
    emit this->drawn(qulonglong(drawn.outlinedInserts));
    if (m_again)
        startDrawing();
}

void DrawingView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.isNull())
        painter.drawImage(QPointF(0, 0), m_picture);
}

} // namespace cad
