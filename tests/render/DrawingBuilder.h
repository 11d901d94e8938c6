#pragma once

// Small in-memory drawings for the renderer's tests, and what a recording
// backend made of them.

#include "cad/Drawing.h"
#include "cad/render/RecordingBackend.h"

#include <vector>

namespace testing_render {

/// The primitives of one kind (a RecordingBackend shape), in order.
template <typename S>
std::vector<S> shapes(const std::vector<cad::render::RecordingBackend::Primitive>& all)
{
    std::vector<S> out;
    for (const auto& p : all)
        if (const auto* s = std::get_if<S>(&p.shape))
            out.push_back(*s);
    return out;
}

class DrawingBuilder {
public:
    DrawingBuilder() { layer("0"); }

    /// Adds a layer; returns its table index.
    int layer(const QString& name, std::int16_t colour = 7, bool on = true, bool frozen = false)
    {
        cad::LayerRecord record;
        record.name = name;
        record.color = colour;
        record.on = on;
        record.frozen = frozen;
        m_drawing.layers.push_back(record);
        m_drawing.names.intern(name);
        return int(m_drawing.layers.size()) - 1;
    }

    cad::Entity entity(const QString& layerName, cad::Geometry geometry, cad::EntityType type,
                       std::int16_t colour = cad::color::kByLayer)
    {
        cad::Entity e;
        e.type = type;
        e.layer = m_drawing.names.intern(layerName);
        e.color = colour;
        e.geometry = std::move(geometry);
        return e;
    }

    cad::Entity line(const QString& layerName, QPointF a, QPointF b, std::int16_t colour = cad::color::kByLayer)
    {
        return entity(layerName, cad::LineGeom{a, b}, cad::EntityType::Line, colour);
    }

    cad::Entity insert(const QString& layerName, const QString& block, QPointF at,
                       std::int16_t colour = cad::color::kByLayer)
    {
        cad::InsertGeom geometry;
        geometry.block = m_drawing.names.intern(block);
        geometry.insert = at;
        return entity(layerName, geometry, cad::EntityType::Insert, colour);
    }

    void add(cad::Entity e) { m_drawing.entities.push_back(std::move(e)); }

    void block(const QString& name, std::vector<cad::Entity> entities, QPointF base = {})
    {
        cad::BlockDefinition definition;
        definition.name = name;
        definition.basePoint = base;
        definition.entities = std::move(entities);
        m_drawing.blocks.push_back(std::move(definition));
    }

    cad::Drawing& drawing()
    {
        m_drawing.rebuildIndex();
        return m_drawing;
    }

private:
    cad::Drawing m_drawing;
};

} // namespace testing_render
