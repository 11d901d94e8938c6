#pragma once

// A loaded drawing: header values, the layer and linetype tables, the entities
// of model space and of every paper-space layout, and the block definitions.
// Pure data with lookups; reading is DxfLoader's job, saving DxfLayerWriter's,
// and the live document with its selection sets is CadDocument.

#include "Entity.h"
#include "OmissionNotes.h"

#include <QHash>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

namespace cad {

/// Interns names (layers, linetypes, blocks) as written in the file, so that
/// entities hold 4-byte ids. Lookup is exact (case-sensitive).
class NamePool {
public:
    NameId intern(const QString& name);
    const QString& name(NameId id) const;
    std::optional<NameId> find(const QString& name) const;
    std::size_t size() const { return m_names.size(); }

private:
    std::vector<QString> m_names;
    QHash<QString, NameId> m_ids;
};

/// One entry of the LAYER table with AutoCAD's meaning of each group.
struct LayerRecord {
    QString name;                 // group 2
    bool on = true;               // group 62 >= 0
    bool frozen = false;          // group 70 bit 1
    bool frozenInNewViewports = false; // group 70 bit 2
    bool locked = false;          // group 70 bit 4
    std::int16_t color = 7;       // |group 62|, 1..255
    /// Group 420: the layer's own true colour, 0xRRGGBB, which its ByLayer
    /// entities are drawn in rather than the palette's `color`; -1 for none.
    std::int32_t trueColor = -1;
    QString linetype = QStringLiteral("Continuous"); // group 6
    std::int32_t lineweight = -3; // group 370; -3 = default
    bool plottable = true;        // group 290
    /// Group 390 resolved through the PLACEHOLDER/plot-style dictionary to a
    /// name when the file holds one; "" otherwise (colour-dependent plot styles).
    QString plotStyleName;
};

/// A text a complex linetype writes along its lines, in the pattern's own
/// units (LTYPE groups 74 to 9, one element's worth).
struct LinetypeText {
    /// Placed at the end of this element of the pattern, then offset.
    std::size_t element = 0;
    QString text;
    double height = 1;       ///< group 46
    double rotation = 0;     ///< group 50, radians: from the line's direction, or from the x axis when absolute
    bool absolute = false;   ///< group 74 bit 1
    bool upright = false;    ///< group 74 bit 8: turned round where the line runs leftwards, to stay readable
    QPointF offset;          ///< groups 44 and 45: along the line and across it
};

/// A linetype's pattern: group 49 lengths (positive a dash, negative a gap,
/// 0 a dot), empty for a continuous line, and the texts complex linetypes
/// write in its gaps. Their embedded shapes are not kept: they live in SHX
/// shape files that a drawing does not carry.
struct LinetypePattern {
    std::vector<double> elements;
    std::vector<LinetypeText> texts;
    bool empty() const { return elements.empty(); }
};

struct BlockDefinition {
    QString name;
    QPointF basePoint;
    /// Group 70 flags (1 anonymous, 4 external reference, ...).
    int flags = 0;
    std::vector<Entity> entities;
    /// The order the entities are drawn in (indices into `entities`) where
    /// the drawing stores one (SORTENTSTABLE); empty: file order.
    std::vector<std::uint32_t> drawOrder;
};

/// An MLINESTYLE object: what each element of an MLINE looks like, and its caps.
struct MLineStyle {
    QString name;               // group 2
    int flags = 0;              // group 70: 1 fill, 16/256 square start/end caps, 64/1024 round caps
    std::int16_t fillColor = color::kByLayer;
    struct Element {
        double offset = 0;                          // group 49
        std::int16_t color = color::kByLayer;       // group 62
        QString linetype;                           // group 6 ("BYLAYER" or a name)
    };
    std::vector<Element> elements;
};

/// A paper-space layout: "*Paper_Space", "*Paper_Space0", ... as the block
/// record names them (R12 has one, "*Paper_Space").
struct Layout {
    QString blockName;
};

class Drawing {
public:
    QString version;     // $ACADVER as written ("" when absent)
    QString codepage;    // $DWGCODEPAGE as written ("" when absent)
    QString clayer;      // $CLAYER ("" when absent)
    bool hasClayer = false;
    bool hasVersion = false;
    bool hasCodepage = false;

    std::vector<LayerRecord> layers;  // table order
    std::vector<QString> linetypes;   // table order, as the table holds them
    /// The pattern of each linetype, parallel to `linetypes`.
    std::vector<LinetypePattern> linetypePatterns;
    double linetypeScale = 1;  // $LTSCALE
    std::int16_t defaultLineweight = 25; // $LWDEFAULT, hundredths of a millimetre
    bool lineweightDisplay = false; // $LWDISPLAY
    std::vector<Layout> layouts;      // paper-space layouts; entity.layout 1 is layouts[0]
    std::vector<BlockDefinition> blocks;
    std::vector<MLineStyle> mlineStyles; // OBJECTS order
    /// Model-space and paper-space entities, in file order.
    std::vector<Entity> entities;
    /// The order model space is drawn in (indices into `entities`) where the
    /// drawing stores one (SORTENTSTABLE); empty: file order.
    std::vector<std::uint32_t> drawOrder;
    NamePool names;
    /// What the reader left out (entities it has no reader for and that
    /// carry no proxy graphics, ...).
    OmissionNotes readNotes;

    /// Index of the first layer whose name matches case-insensitively, or -1;
    /// looked up by the folded name, so switching every layer is linear.
    int findLayer(const QString& name) const;
    /// How often the name index of the layers was built; a rename or a new
    /// layer makes the next lookup build it again.
    std::size_t layerIndexBuilds() const { return m_layerIndexBuilds; }
    /// Index of the linetype whose name matches case-insensitively, or -1.
    int findLinetype(const QString& name) const;
    /// The block definition named `id`, or nullptr.
    const BlockDefinition* block(NameId id) const;
    /// The MLINESTYLE named `id` (case-insensitive), or nullptr.
    const MLineStyle* mlineStyle(NameId id) const;

    /// Number of entities (model and paper space) per layer-name id, as the
    /// entities write it; built by the loader. A POLYLINE or an INSERT with its
    /// attributes is one entity.
    const std::vector<std::uint32_t>& countsByLayerName() const { return m_counts; }
    /// Counts an entity on layer-name id `layer` that was read but handed on
    /// instead of kept in `entities` (see EntityStream); the counts include it
    /// from the next rebuildIndex() on.
    void countHandedOn(NameId layer);
    void rebuildIndex();

private:
    std::vector<std::uint32_t> m_counts;
    std::vector<std::uint32_t> m_handedOn;
    QHash<NameId, int> m_blockIndex;
    // Built on the first lookup after the layer table changed size or a
    // layer was renamed (rebuildIndex); the table itself stays a plain vector.
    mutable QHash<QString, int> m_layerByFolded;
    mutable std::size_t m_layerIndexSize = 0;
    mutable bool m_layerIndexValid = false;
    mutable std::size_t m_layerIndexBuilds = 0;
};

} // namespace cad
