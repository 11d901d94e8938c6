#pragma once

#include "cad/Drawing.h"

#include <QRgb>

#include <vector>

namespace cad::render {

/// What an INSERT hands down to the entities of its block.
struct BlockContext {
    int layer = -1;            ///< the insert's effective layer (for entities on layer 0)
    QRgb colour = 0xFF000000;  ///< the insert's resolved colour (for ByBlock)
    bool nested = false;       ///< false at the top level of a space
    int linetype = -1;         ///< the insert's resolved linetype (for ByBlock)
    std::int16_t lineweight = lineweight::kDefault; ///< the insert's resolved lineweight (for ByBlock)
};

struct ResolvedProperties {
    int layer = -1;            ///< effective layer (table index), -1 when not in the table
    QRgb colour = 0xFF000000;
    bool visible = true;
    /// Index into Drawing::linetypePatterns, -1 for a continuous line.
    int linetype = -1;
    /// $LTSCALE times the entity's own linetype scale.
    double linetypeScale = 1;
    /// Hundredths of a millimetre, ByLayer, ByBlock and the default worked out.
    std::int16_t lineweight = 0;
};

/// The one place where an entity's effective layer, colour, linetype,
/// lineweight and visibility are worked out: ByLayer and ByBlock colours,
/// linetypes and lineweights, layer 0 inside a block taking the insert's
/// layer, colour 7 (and true white) drawn black on the white picture, and a
/// layer that is off or frozen drawing nothing. An entity on a layer the
/// table lacks draws in colour 7, continuous, at the default lineweight, and
/// is visible; a linetype the table lacks draws continuous.
///
/// The layer table may come from elsewhere than the drawing: the host window
/// draws the document's entities, which stay as they are, with a copy of its
/// layer table taken when the picture starts, while the calls change the
/// live one. Nothing here then reads the drawing's own table or its lookups.
class PropertyResolver {
public:
    explicit PropertyResolver(const Drawing& drawing) : PropertyResolver(drawing, drawing.layers) {}
    /// Resolves with `layers` in place of the drawing's table; both must
    /// outlive the resolver.
    PropertyResolver(const Drawing& drawing, const std::vector<LayerRecord>& layers);
    ResolvedProperties resolve(const Entity& entity, const BlockContext& context) const;
    /// True when the layer (table index) is on and thawed; -1 counts as visible.
    bool layerVisible(int layer) const;
    /// True when the layer is frozen, which hides whole blocks inserted on it.
    bool layerFrozen(int layer) const;
    /// The table index of a name id, or -1.
    int layerOf(NameId name) const;
    /// A colour index (1..255) as drawn on the white picture.
    QRgb colourOfIndex(int index) const;
    /// A true colour (0xRRGGBB) as drawn on the white picture.
    QRgb colourOfTrueColor(std::int32_t rgb) const;

private:
    const Drawing& m_drawing;
    const std::vector<LayerRecord>& m_layers;
    std::vector<int> m_layerByName; ///< NameId -> table index or -1
    /// NameId -> linetype table index, or one of the markers below.
    std::vector<int> m_linetypeByName;
    std::vector<int> m_layerLinetype; ///< layer table index -> linetype table index or -1
    int m_layerZero = -1;
};

} // namespace cad::render
