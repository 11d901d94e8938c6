#pragma once

#include "cad/Drawing.h"
#include "cad/render/RenderBackend.h"

#include <QTransform>

class QPainter;

namespace cad::render {

/// Draws primitives with a QPainter through a drawing-to-device transform
/// (the host window's view of the drawing).
class PainterBackend : public RenderBackend {
public:
    PainterBackend(QPainter& painter, const QTransform& worldToDevice);

    void drawPolyline(const std::vector<QPointF>& points, bool closed, const Style& style) override;
    void fillPolygons(const std::vector<std::vector<QPointF>>& loops, const Style& style) override;
    void drawCircle(QPointF centre, double radius, const Style& style) override;
    void drawText(const TextRun& text, const Style& style) override;
    void drawPoint(QPointF position, const Style& style) override;

private:
    void setPen(const Style& style);

    QPainter& m_painter;
    QTransform m_toDevice;
    double m_scale;
};

/// Paints the visible model space of `drawing` into `target` on white,
/// framed as its pictures are and centred with its proportions kept.
/// Returns the number of inserts drawn as their outline box because the
/// picture reached its primitive budget.
std::size_t paintDrawing(QPainter& painter, const QRectF& target, const Drawing& drawing);

} // namespace cad::render
