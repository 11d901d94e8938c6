#include "cad/render/PainterBackend.h"

#include "cad/render/DrawingFrontend.h"
#include "cad/render/PictureFrame.h"
#include "cad/render/WmfBackend.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cmath>

namespace cad::render {

PainterBackend::PainterBackend(QPainter& painter, const QTransform& worldToDevice)
    : m_painter(painter), m_toDevice(worldToDevice), m_scale(std::sqrt(std::abs(worldToDevice.determinant())))
{
}

void PainterBackend::setPen(const Style& style)
{
    const double width = style.width * m_scale;
    QPen pen(QColor::fromRgb(style.colour), width >= 1.5 ? width : 0);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
}

void PainterBackend::drawPolyline(const std::vector<QPointF>& points, bool closed, const Style& style)
{
    QPolygonF polygon;
    polygon.reserve(qsizetype(points.size()) + 1);
    for (const QPointF& p : points)
        polygon << m_toDevice.map(p);
    if (closed && !polygon.isEmpty())
        polygon << polygon.front();
    setPen(style);
    if (polygon.size() == 1)
        m_painter.drawPoint(polygon.front());
    else
        m_painter.drawPolyline(polygon);
}

void PainterBackend::fillPolygons(const std::vector<std::vector<QPointF>>& loops, const Style& style)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const auto& loop : loops) {
        QPolygonF polygon;
        for (const QPointF& p : loop)
            polygon << m_toDevice.map(p);
        path.addPolygon(polygon);
        path.closeSubpath();
    }
    m_painter.setPen(QPen(QColor::fromRgb(style.colour), 0));
    m_painter.setBrush(QColor::fromRgb(style.colour));
    m_painter.drawPath(path);
}

void PainterBackend::drawCircle(QPointF centre, double radius, const Style& style)
{
    setPen(style);
    const double r = radius * m_scale;
    m_painter.drawEllipse(m_toDevice.map(centre), r, r);
}

void PainterBackend::drawText(const TextRun& text, const Style& style)
{
    QFont font;
    // Small text is drawn at one pixel rather than left out.
    const double em = std::max(1.0, text.height * m_scale * WmfBackend::capHeightToEm);
    if (!std::isfinite(em) || em > 100000)
        return;
    font.setItalic(std::abs(text.obliqueDegrees) >= WmfBackend::italicFromOblique);
    font.setPixelSize(std::max(1, int(std::lround(em))));
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text.text);
    const double x = text.align == TextRun::Align::Center ? -width / 2
                     : text.align == TextRun::Align::Right ? -width
                                                           : 0.0;
    m_painter.save();
    m_painter.translate(m_toDevice.map(text.position));
    m_painter.rotate(-text.rotationDegrees);
    m_painter.scale(text.mirrored ? -text.widthFactor : text.widthFactor, 1);
    m_painter.setFont(font);
    m_painter.setPen(QColor::fromRgb(style.colour));
    m_painter.drawText(QPointF(x, 0), text.text);
    m_painter.restore();
}

void PainterBackend::drawPoint(QPointF position, const Style& style)
{
    setPen(style);
    m_painter.drawPoint(m_toDevice.map(position));
}

PaintedDrawing paintDrawing(QPainter& painter, const QRectF& target, const Drawing& drawing,
                            const std::vector<LayerRecord>& layers, const PictureFrame& frame,
                            const std::atomic<bool>* stop)
{
    PaintedDrawing painted;
    painter.save();
    painter.fillRect(target, Qt::white);
    painter.setClipRect(target, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double scale = std::min(target.width() / frame.world.width(), target.height() / frame.world.height());
    if (scale > 0 && std::isfinite(scale)) {
        const QPointF centre = target.center();
        const QPointF worldCentre = frame.world.center();
        const QTransform toDevice(scale, 0, 0, -scale, centre.x() - worldCentre.x() * scale,
                                  centre.y() + worldCentre.y() * scale);
        PainterBackend backend(painter, toDevice);
        DrawingFrontend frontend(drawing, layers, 0.25 / scale);
        frontend.setFrame(frame.world);
        frontend.setStopFlag(stop);
        // Weights in the same proportion to the drawing as in its pictures.
        frontend.setLineweightScale(frame.drawingUnitsPerMillimetre());
        frontend.drawModelSpace(backend);
        painted.outlinedInserts = frontend.outlinedInserts();
        painted.complete = !frontend.stopped();
    }
    painter.restore();
    return painted;
}

} // namespace cad::render
