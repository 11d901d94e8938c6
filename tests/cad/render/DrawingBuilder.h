#pragma once

// Small in-memory drawings for the renderer's tests, and what a recording
// backend made of them.

#include "cad/Drawing.h"
#include "cad/dxf/DxfLoader.h"
#include "cad/render/DrawingFrontend.h"
#include "cad/render/RecordingBackend.h"
#include "metafile/WmfPicture.h"

#include <QImage>
#include <QPainter>
#include <QStringList>

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

/// The LAYER entries of layers 0 (colour 7), A (red) and B (blue).
inline QStringList standardLayers()
{
    QStringList out;
    for (const auto& [name, colour] : {std::pair{"0", "7"}, {"A", "1"}, {"B", "5"}})
        out << "0" << "LAYER" << "2" << name << "70" << "0" << "62" << colour << "6" << "Continuous";
    return out;
}

/// A drawing read from DXF groups (code and value lines): an R2013 header,
/// the given LAYER entries, blocks, entities and objects.
inline cad::Drawing dxfDrawing(const QStringList& entities, const QStringList& blocks = {},
                               const QStringList& objects = {}, const QStringList& layers = standardLayers())
{
    QStringList all{"0", "SECTION", "2", "HEADER", "9", "$ACADVER", "1", "AC1027", "0", "ENDSEC"};
    all << "0" << "SECTION" << "2" << "TABLES" << "0" << "TABLE" << "2" << "LAYER" << layers;
    all << "0" << "ENDTAB" << "0" << "ENDSEC";
    all << "0" << "SECTION" << "2" << "BLOCKS" << blocks << "0" << "ENDSEC";
    all << "0" << "SECTION" << "2" << "ENTITIES" << entities << "0" << "ENDSEC";
    all << "0" << "SECTION" << "2" << "OBJECTS" << objects << "0" << "ENDSEC" << "0" << "EOF";
    return cad::dxf::loadDxf(all.join('\n').toUtf8() + '\n').drawing;
}

/// What the frontend draws of a drawing's model space, within `frame`.
inline cad::render::RecordingBackend record(const cad::Drawing& d, QRectF frame = QRectF(-100, -100, 200, 200))
{
    cad::render::RecordingBackend recording;
    cad::render::DrawingFrontend frontend(d, 0.001);
    frontend.setFrame(frame);
    frontend.drawModelSpace(recording);
    return recording;
}

/// A metafile played onto white at `size` (an empty image when it cannot be read).
inline QImage playedOnWhite(const QByteArray& wmf, QSize size)
{
    metafile::WmfPicture picture;
    if (!picture.loadData(wmf))
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
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
