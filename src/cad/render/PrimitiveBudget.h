#pragma once

#include "cad/render/RenderBackend.h"

#include <cstddef>

namespace cad::render {

/// Passes primitives on to a backend and counts them, so that the frontend
/// can stop expanding blocks once a picture has drawn its share: blocks that
/// insert each other level upon level multiply without limit, and a picture
/// of them would otherwise take hours and fill the disk.
class PrimitiveBudget : public RenderBackend {
public:
    /// The standard large drawing (500 layers, 200,000 entities, 40 MB)
    /// draws 270,000 primitives, the shared sample drawings at most 2,300; a
    /// picture is cut off at more than seven times the large one, which keeps
    /// a metafile below about 100 MB.
    static constexpr std::size_t kPrimitivesPerPicture = 2'000'000;

    PrimitiveBudget(RenderBackend& target, std::size_t limit) : m_target(target), m_limit(limit) {}

    bool spent() const { return m_used >= m_limit; }
    std::size_t used() const { return m_used; }

    void drawPolyline(const std::vector<QPointF>& points, bool closed, const Style& style) override
    {
        ++m_used;
        m_target.drawPolyline(points, closed, style);
    }
    void fillPolygons(const std::vector<std::vector<QPointF>>& loops, const Style& style) override
    {
        ++m_used;
        m_target.fillPolygons(loops, style);
    }
    void drawCircle(QPointF centre, double radius, const Style& style) override
    {
        ++m_used;
        m_target.drawCircle(centre, radius, style);
    }
    void drawArc(QPointF centre, double radius, double start, double sweep, double tolerance, const Style& style) override
    {
        ++m_used;
        m_target.drawArc(centre, radius, start, sweep, tolerance, style);
    }
    void drawText(const TextRun& text, const Style& style) override
    {
        ++m_used;
        m_target.drawText(text, style);
    }
    void drawPoint(QPointF position, const Style& style) override
    {
        ++m_used;
        m_target.drawPoint(position, style);
    }

private:
    RenderBackend& m_target;
    std::size_t m_limit;
    std::size_t m_used = 0;
};

} // namespace cad::render
