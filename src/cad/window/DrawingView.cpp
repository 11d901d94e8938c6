#include "DrawingView.h"

#include "cad/CadDocument.h"
#include "cad/render/PainterBackend.h"

#include <QPainter>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>

namespace cad {

DrawingView::Picture DrawingView::paint(const Job& job)
{
    // The picture takes only the time the processor has spare, so that the
    // thread answering the bus (and the macros it runs) come first.
    QThread::currentThread()->setPriority(QThread::IdlePriority);
    Picture drawn;
    drawn.state = job.state;
    drawn.document = job.document;
    drawn.frame = job.frame ? *job.frame : render::PictureFrame::forDrawing(*job.drawing);
    drawn.image = QImage(job.size * job.ratio, QImage::Format_RGB32);
    drawn.image.setDevicePixelRatio(job.ratio);
    drawn.image.fill(Qt::white);
    QPainter painter(&drawn.image);
    painter.setRenderHint(QPainter::Antialiasing);
    const render::PaintedDrawing painted = render::paintDrawing(
        painter, QRectF(QPointF(0, 0), QSizeF(job.size)), *job.drawing, job.layers, drawn.frame, job.stop.get());
    painter.end();
    drawn.outlinedInserts = painted.outlinedInserts;
    drawn.complete = painted.complete;
    QThread::currentThread()->setPriority(QThread::NormalPriority);
    return drawn;
}

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
    // The worker holds its share of the drawing; it only has to stop, and
    // its answer must not arrive at a view that is gone.
    if (m_stop)
        m_stop->store(true);
    m_drawing.disconnect(this);
    m_drawing.waitForFinished();
}

void DrawingView::setDocument(std::shared_ptr<CadDocument> document)
{
    m_document = std::move(document);
    ++m_documentNumber;
    m_frame.reset();
    m_picture = QImage();
    redraw();
    update();
}

void DrawingView::redraw()
{
    ++m_state;
    if (m_stop)
        m_stop->store(true);
    m_settle.start();
}

bool DrawingView::isDrawing() const
{
    return m_settle.isActive() || m_stop;
}

void DrawingView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    redraw();
}

void DrawingView::startDrawing()
{
    // A picture still stopping starts the newer one when it ends.
    if (m_stop || !m_document || size().isEmpty())
        return;
    Job job;
    job.drawing = m_document->sharedDrawing();
    job.layers = m_document->drawing().layers;
    job.frame = m_frame;
    job.size = size();
    job.ratio = devicePixelRatioF();
    job.stop = m_stop = std::make_shared<std::atomic<bool>>(false);
    job.state = m_state;
    job.document = m_documentNumber;
    ++m_counts.started;
    m_drawing.setFuture(QtConcurrent::run(m_painter, std::move(job)));
}

void DrawingView::takePicture()
{
    const Picture drawn = m_drawing.result();
    m_stop.reset();
    if (drawn.document == m_documentNumber && !m_frame)
        m_frame = drawn.frame;
    if (!drawn.complete || drawn.state != m_state) {
        ++m_counts.abandoned;
        // The settle time of the newer state may have run out meanwhile.
        if (!m_settle.isActive())
            startDrawing();
        return;
    }
    ++m_counts.shown;
    m_picture = drawn.image;
    update();
    emit this->drawn(qulonglong(drawn.outlinedInserts));
}

void DrawingView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_picture.isNull())
        painter.drawImage(QPointF(0, 0), m_picture);
}

} // namespace cad
