#include "cad/render/RecordingBackend.h"

namespace cad::render {

void RecordingBackend::add(Shape shape, const Style& style)
{
    const std::size_t slot = std::size_t(std::max(style.layer, -1) + 1);
    if (slot >= m_byLayer.size())
        m_byLayer.resize(slot + 1);
    m_byLayer[slot].push_back({std::move(shape), style});
    ++m_count;
}

void RecordingBackend::drawPolyline(const std::vector<QPointF>& points, bool closed, const Style& style)
{
    add(Polyline{points, closed}, style);
}

void RecordingBackend::fillPolygons(const std::vector<std::vector<QPointF>>& loops, const Style& style)
{
    add(Fill{loops}, style);
}

void RecordingBackend::drawCircle(QPointF centre, double radius, const Style& style)
{
    add(Circle{centre, radius}, style);
}

void RecordingBackend::drawText(const TextRun& text, const Style& style)
{
    add(text, style);
}

void RecordingBackend::drawPoint(QPointF position, const Style& style)
{
    add(Point{position}, style);
}

const std::vector<RecordingBackend::Primitive>& RecordingBackend::layer(int layer) const
{
    static const std::vector<Primitive> none;
    const std::size_t slot = std::size_t(std::max(layer, -1) + 1);
    return slot < m_byLayer.size() ? m_byLayer[slot] : none;
}

std::vector<RecordingBackend::Primitive> RecordingBackend::all() const
{
    std::vector<Primitive> out;
    out.reserve(m_count);
    for (const auto& group : m_byLayer)
        out.insert(out.end(), group.begin(), group.end());
    return out;
}

} // namespace cad::render
