#include "cad/render/PropertyResolver.h"

#include "acad/AciColors.h"

#include <cstdlib>

namespace cad::render {

namespace {
constexpr QRgb black = 0xFF000000;
constexpr int white = 7;
} // namespace

PropertyResolver::PropertyResolver(const Drawing& drawing) : m_drawing(drawing)
{
    m_layerByName.assign(drawing.names.size(), -1);
    for (std::size_t id = 0; id < drawing.names.size(); ++id)
        m_layerByName[id] = drawing.findLayer(drawing.names.name(NameId(id)));
    m_layerZero = drawing.findLayer(QStringLiteral("0"));
}

int PropertyResolver::layerOf(NameId name) const
{
    if (name == kNoName)
        return m_layerZero;
    return name < m_layerByName.size() ? m_layerByName[name] : -1;
}

bool PropertyResolver::layerVisible(int layer) const
{
    if (layer < 0 || std::size_t(layer) >= m_drawing.layers.size())
        return true;
    const LayerRecord& record = m_drawing.layers[std::size_t(layer)];
    return record.on && !record.frozen;
}

bool PropertyResolver::layerFrozen(int layer) const
{
    return layer >= 0 && std::size_t(layer) < m_drawing.layers.size() && m_drawing.layers[std::size_t(layer)].frozen;
}

QRgb PropertyResolver::colourOfIndex(int index) const
{
    // Colour 7 is white on a dark screen and black on paper; the pictures are paper.
    if (index == white)
        return black;
    return acad::ColorIndexToRgb(index);
}

ResolvedProperties PropertyResolver::resolve(const Entity& entity, const BlockContext& context) const
{
    ResolvedProperties out;
    int layer = layerOf(entity.layer);
    if (context.nested && layer == m_layerZero)
        layer = context.layer;
    out.layer = layer;
    out.visible = layerVisible(layer);

    if (entity.trueColor >= 0) {
        const QRgb rgb = 0xFF000000u | QRgb(entity.trueColor & 0xFFFFFF);
        out.colour = rgb == 0xFFFFFFFFu ? black : rgb;
    } else if (entity.color == color::kByBlock) {
        out.colour = context.nested ? context.colour : black;
    } else if (entity.color == color::kByLayer || entity.color < 0 || entity.color > 255) {
        const bool known = layer >= 0 && std::size_t(layer) < m_drawing.layers.size();
        out.colour = colourOfIndex(known ? std::abs(m_drawing.layers[std::size_t(layer)].color) : white);
    } else {
        out.colour = colourOfIndex(entity.color);
    }
    return out;
}

} // namespace cad::render
