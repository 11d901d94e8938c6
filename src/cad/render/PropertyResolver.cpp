#include "cad/render/PropertyResolver.h"

#include "acad/AciColors.h"

#include <QHash>

#include <cstdlib>

namespace cad::render {

namespace {
constexpr QRgb black = 0xFF000000;
constexpr int white = 7;
constexpr int continuous = -1;
constexpr int byBlock = -2;
constexpr int byLayer = -3;

/// A linetype table index that has a pattern to draw, else `continuous`.
int patternIndex(const Drawing& drawing, int index)
{
    return index >= 0 && std::size_t(index) < drawing.linetypePatterns.size()
                   && !drawing.linetypePatterns[std::size_t(index)].empty()
               ? index
               : continuous;
}
} // namespace

PropertyResolver::PropertyResolver(const Drawing& drawing, const std::vector<LayerRecord>& layers)
    : m_drawing(drawing), m_layers(layers)
{
    m_layerByName.assign(drawing.names.size(), -1);
    m_linetypeByName.assign(drawing.names.size(), continuous);
    // Names are few (layers, linetypes, blocks); each is looked up once here.
    // The first of two layer names that fold alike wins, as a search in
    // table order finds it.
    QHash<QString, int> layerIndex;
    layerIndex.reserve(qsizetype(layers.size()));
    for (std::size_t i = layers.size(); i-- > 0;)
        layerIndex.insert(layers[i].name.toCaseFolded(), int(i));
    QHash<QString, int> linetypeIndex;
    for (std::size_t i = 0; i < drawing.linetypes.size(); ++i)
        linetypeIndex.insert(drawing.linetypes[i].toCaseFolded(), int(i));
    auto linetypeNamed = [&](const QString& name) {
        const QString folded = name.trimmed().toCaseFolded();
        if (folded == QLatin1String("bylayer"))
            return byLayer;
        if (folded == QLatin1String("byblock"))
            return byBlock;
        return patternIndex(drawing, linetypeIndex.value(folded, continuous));
    };
    for (std::size_t id = 0; id < drawing.names.size(); ++id) {
        const QString& name = drawing.names.name(NameId(id));
        m_layerByName[id] = layerIndex.value(name.toCaseFolded(), -1);
        m_linetypeByName[id] = linetypeNamed(name);
    }
    m_layerZero = layerIndex.value(QStringLiteral("0"), -1);
    for (const LayerRecord& layer : layers) {
        const int linetype = linetypeNamed(layer.linetype);
        m_layerLinetype.push_back(linetype >= 0 ? linetype : continuous);
    }
}

int PropertyResolver::layerOf(NameId name) const
{
    if (name == kNoName)
        return m_layerZero;
    return name < m_layerByName.size() ? m_layerByName[name] : -1;
}

bool PropertyResolver::layerVisible(int layer) const
{
    if (layer < 0 || std::size_t(layer) >= m_layers.size())
        return true;
    const LayerRecord& record = m_layers[std::size_t(layer)];
    return record.on && !record.frozen;
}

bool PropertyResolver::layerFrozen(int layer) const
{
    return layer >= 0 && std::size_t(layer) < m_layers.size() && m_layers[std::size_t(layer)].frozen;
}

QRgb PropertyResolver::colourOfIndex(int index) const
{
    // Colour 7 is white on a dark screen and black on paper; the pictures are
    // paper. Colour 255, white too, would not be seen on it at all: white
    // ink is drawn black, as a white true colour is.
    if (index == white)
        return black;
    const QRgb rgb = acad::ColorIndexToRgb(index);
    return rgb == 0xFFFFFFFFu ? black : rgb;
}

QRgb PropertyResolver::colourOfTrueColor(std::int32_t rgb) const
{
    // White ink, like colour 7, is black on the paper.
    const QRgb colour = 0xFF000000u | QRgb(rgb & 0xFFFFFF);
    return colour == 0xFFFFFFFFu ? black : colour;
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
        out.colour = colourOfTrueColor(entity.trueColor);
    } else if (entity.color == color::kByBlock) {
        out.colour = context.nested ? context.colour : black;
    } else if (entity.color == color::kByLayer || entity.color < 0 || entity.color > 255) {
        const bool known = layer >= 0 && std::size_t(layer) < m_layers.size();
        const LayerRecord* record = known ? &m_layers[std::size_t(layer)] : nullptr;
        out.colour = record && record->trueColor >= 0 ? colourOfTrueColor(record->trueColor)
                                                      : colourOfIndex(record ? std::abs(record->color) : white);
    } else {
        out.colour = colourOfIndex(entity.color);
    }

    const bool known = layer >= 0 && std::size_t(layer) < m_layers.size();
    const int linetype = entity.linetype == kNoName || entity.linetype >= m_linetypeByName.size()
                             ? byLayer
                             : m_linetypeByName[entity.linetype];
    if (linetype == byLayer)
        out.linetype = known ? m_layerLinetype[std::size_t(layer)] : continuous;
    else if (linetype == byBlock)
        out.linetype = context.nested ? context.linetype : continuous;
    else
        out.linetype = linetype;
    out.linetypeScale = m_drawing.linetypeScale * double(entity.linetypeScale);

    std::int16_t weight = entity.lineweight;
    if (weight == lineweight::kByLayer)
        weight = known ? std::int16_t(m_layers[std::size_t(layer)].lineweight) : lineweight::kDefault;
    else if (weight == lineweight::kByBlock)
        weight = context.nested ? context.lineweight : lineweight::kDefault;
    out.lineweight = weight >= 0 ? weight : m_drawing.defaultLineweight;
    return out;
}

} // namespace cad::render
