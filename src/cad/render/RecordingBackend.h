#pragma once

#include "cad/render/RenderBackend.h"

#include <variant>
#include <vector>

namespace cad::render {

/// Keeps every call it receives, in order, grouped by the layer each
/// primitive counts for, so that tests can inspect what the frontend asked
/// for.
class RecordingBackend : public RenderBackend {
public:
    struct Polyline { std::vector<QPointF> points; bool closed = false; };
    struct Fill { std::vector<std::vector<QPointF>> loops; };
    struct Circle { QPointF centre; double radius = 0; };
    struct Point { QPointF position; };
    using Shape = std::variant<Polyline, Fill, Circle, TextRun, Point>;
    struct Primitive {
        Shape shape;
        Style style;
    };

    void drawPolyline(const std::vector<QPointF>& points, bool closed, const Style& style) override;
    void fillPolygons(const std::vector<std::vector<QPointF>>& loops, const Style& style) override;
    void drawCircle(QPointF centre, double radius, const Style& style) override;
    void drawText(const TextRun& text, const Style& style) override;
    void drawPoint(QPointF position, const Style& style) override;

    /// Primitives of one layer (table index; -1 for layers not in the table), in order.
    const std::vector<Primitive>& layer(int layer) const;
    /// Every primitive of every layer, layer by layer.
    std::vector<Primitive> all() const;
    std::size_t size() const { return m_count; }

private:
    void add(Shape shape, const Style& style);
    std::vector<std::vector<Primitive>> m_byLayer; ///< index layer + 1
    std::size_t m_count = 0;
};

} // namespace cad::render
