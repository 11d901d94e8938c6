#pragma once

#include "cad/Drawing.h"
#include "cad/render/PictureFrame.h"
#include "cad/render/RenderBackend.h"

#include <QTransform>

#include <atomic>

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

/// What paintDrawing drew.
struct PaintedDrawing {
    /// Inserts drawn as their outline box because the picture reached its
    /// primitive budget.
    std::size_t outlinedInserts = 0;
    /// False when the stop flag ended the picture before its last entity.
    bool complete = true;
};

/// Paints the model space of `drawing` that is visible by the layer states of
/// `layers` into `target` on white, in `frame` (the drawing's picture frame,
/// PictureFrame::forDrawing, which depends on the entities only and so may
/// be kept from one picture to the next), centred with its proportions kept.
/// Stops at the next entity once `*stop` turns true.
PaintedDrawing paintDrawing(QPainter& painter, const QRectF& target, const Drawing& drawing,
                            const std::vector<LayerRecord>& layers, const PictureFrame& frame,
                            const std::atomic<bool>* stop = nullptr);

} // namespace cad::render
