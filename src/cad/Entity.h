#pragma once

// The entity model of a loaded drawing: what the host counts, selects, measures
// and draws. One `Entity` per DXF entity of model space, of a paper-space
// layout or of a block definition. Geometry is kept in drawing units (2D; the
// Z coordinate and extrusion are dropped, as the pictures are plan views), and
// angles in degrees, counter-clockwise, as DXF stores them.
//
// Names that many entities share (layer, linetype, block) are interned in the
// drawing's `NamePool` and held as 32-bit ids, so that 200,000 entities stay
// small and per-layer counts are an index lookup.

#include <QPointF>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace cad {

/// An id into Drawing::names; kNoName when the entity gave none.
using NameId = std::uint32_t;
constexpr NameId kNoName = 0xFFFFFFFFu;

enum class EntityType : std::uint8_t {
    Line,
    LwPolyline,   // geometry: PolylineGeom
    Polyline,     // POLYLINE with its VERTEXes (2D/3D polyline); geometry: PolylineGeom
    Circle,
    Arc,
    Ellipse,
    Spline,
    Point,
    Solid,        // geometry: QuadGeom
    Trace,        // geometry: QuadGeom
    Face3d,       // 3DFACE; geometry: QuadGeom
    Hatch,
    Text,         // TEXT, also ATTDEF inside blocks; geometry: TextGeom
    MText,
    Insert,
    Dimension,
    Leader,
    Viewport,     // paper-space viewport: counted and measured, not drawn
    Other,        // any other entity: counted and selectable, no geometry
    AttributeDefinition, // ATTDEF: in model or paper space a TextGeom holding its tag (it
                         // shows there); inside a block no geometry (never drawn with an insert).
    Mesh,         // MESH; geometry: MeshGeom (polyface and polygon-mesh POLYLINEs are Polyline with a MeshGeom)
    MLine,        // geometry: MLineGeom
    MultiLeader,  // MULTILEADER; geometry: MultiLeaderGeom, or ProxyGeom when only its graphics are readable
    Table,        // ACAD_TABLE; geometry: InsertGeom of its anonymous block
    Wipeout,      // geometry: ImageFrameGeom
    Image,        // geometry: ImageFrameGeom
    XLine,        // geometry: InfiniteLineGeom
    Ray,          // geometry: InfiniteLineGeom
    MPolygon,     // MPOLYGON: geometry HatchGeom; its boundaries are drawn as lines too
};

/// Colour index values with a meaning of their own.
namespace color {
constexpr std::int16_t kByBlock = 0;
constexpr std::int16_t kByLayer = 256;
} // namespace color

/// Lineweight values with a meaning of their own (group 370).
namespace lineweight {
constexpr std::int16_t kByLayer = -1;
constexpr std::int16_t kByBlock = -2;
constexpr std::int16_t kDefault = -3;
} // namespace lineweight

/// Where an entity lives. Model space is layout 0; paper-space layouts are
/// numbered from 1 in Drawing::layouts order.
constexpr std::uint16_t kModelSpace = 0;

struct LineGeom {
    QPointF start;
    QPointF end;
};

/// One vertex of a polyline: the bulge is the tangent of a quarter of the
/// arc's included angle to the next vertex (0 = straight, negative = clockwise).
struct PolyVertex {
    QPointF pos;
    double bulge = 0;
    double startWidth = 0;
    double endWidth = 0;
};

/// LWPOLYLINE and POLYLINE (its VERTEX records folded in; SEQEND dropped).
/// Polyface and mesh polylines keep their vertices in order without faces.
struct PolylineGeom {
    std::vector<PolyVertex> vertices;
    bool closed = false;
    /// Group 43 of LWPOLYLINE (or the 40/41 defaults of POLYLINE when equal); 0 = none.
    double constantWidth = 0;
    /// Flag 128 (linetype generation): the linetype pattern runs on across
    /// the vertices instead of starting anew at each one.
    bool continuousPattern = false;
};

struct CircleGeom {
    QPointF center;
    double radius = 0;
};

/// Runs counter-clockwise from startAngle to endAngle (degrees).
struct ArcGeom {
    QPointF center;
    double radius = 0;
    double startAngle = 0;
    double endAngle = 360;
};

/// `majorAxis` is the end point of the major axis relative to the centre;
/// the parameters run counter-clockwise in radians (0 and 2π for a full ellipse).
struct EllipseGeom {
    QPointF center;
    QPointF majorAxis;
    double ratio = 1;
    double startParam = 0;
    double endParam = 6.283185307179586;
};

struct SplineGeom {
    int degree = 3;
    bool closed = false;
    std::vector<double> knots;
    std::vector<QPointF> controlPoints;
    /// Empty when all weights are 1.
    std::vector<double> weights;
    std::vector<QPointF> fitPoints;
    /// The curve's directions at its first and last fit point (groups 12 and
    /// 13); zero when the file gives none.
    QPointF startTangent, endTangent;
};

struct PointGeom {
    QPointF pos;
};

/// SOLID, TRACE and 3DFACE corners in file order (groups 10, 11, 12, 13).
/// A SOLID or TRACE outline runs 0-1-3-2; a 3DFACE outline runs 0-1-2-3.
/// A triangle repeats its third corner.
struct QuadGeom {
    std::array<QPointF, 4> corners;
};

/// One closed boundary of a hatch, with arcs as bulges; elliptic and spline
/// edges are flattened to short straight segments when loaded.
struct HatchLoop {
    std::vector<PolyVertex> vertices;
    /// Group 92: 1 external, 16 outermost (what island detection found), ...
    std::int32_t flags = 0;
};

/// One line family of a hatch pattern as the HATCH stores it, already
/// scaled and rotated (groups 53, 43/44, 45/46, 49): lines at `angleDegrees`
/// through `base`, repeated by `offset`, dashed by `dashes` (positive a dash,
/// negative a gap, 0 a dot; empty for a solid line).
struct HatchPatternLine {
    double angleDegrees = 0;
    QPointF base;
    QPointF offset;
    std::vector<double> dashes;
};

struct HatchGeom {
    bool solidFill = false;
    QString patternName;
    std::vector<HatchLoop> loops;
    /// Group 75: 0 normal (odd parity), 1 outermost, 2 ignore islands.
    std::int8_t style = 0;
    /// Group 450 set: a gradient from the first colour (`fillColour`) to
    /// `secondColour`, of the shape group 470 names, across group 460's angle.
    bool gradient = false;
    /// Group 452: a one-colour gradient, whose second colour is grey of
    /// `tint` (group 462, 0 black .. 1 white).
    bool oneColourGradient = false;
    float tint = 0;
    float gradientAngle = 0; ///< radians
    std::int32_t secondColour = -1; ///< 0xRRGGBB, -1 when the file gives none
    QString gradientName;
    /// The fill's own colour where it has one (a gradient's first colour,
    /// MPOLYGON's fill colour): 0xRRGGBB from group 421, else a colour index
    /// from group 63; -1 when absent (the entity's colour fills).
    std::int32_t fillColour = -1;
    std::int16_t fillColourIndex = -1;
    std::vector<HatchPatternLine> patternLines;
};

/// TEXT (and ATTRIB/ATTDEF). Alignment follows groups 72 and 73:
/// hAlign 0 left, 1 centre, 2 right, 3 aligned, 4 middle, 5 fit;
/// vAlign 0 baseline, 1 bottom, 2 middle, 3 top. For anything but
/// left/baseline, `alignPoint` (group 11) is the point the text is placed by.
struct TextGeom {
    QPointF insert;
    QPointF alignPoint;
    double height = 1;
    double rotation = 0;
    double widthFactor = 1;
    /// Group 51: the slant of the characters, degrees from upright (clockwise positive).
    double oblique = 0;
    std::int8_t hAlign = 0;
    std::int8_t vAlign = 0;
    /// Group 71: 2 backwards (mirrored left to right), 4 upside down.
    std::int8_t generation = 0;
    /// Decoded text; %%c, %%d, %%p and %%u codes left as written.
    QString text;
};

/// MTEXT: `attachment` is group 71 (1 top left .. 9 bottom right, row by row);
/// the text keeps its inline format codes (\P paragraph, {\f...;} etc.).
struct MTextGeom {
    QPointF insert;
    double height = 1;
    double rotation = 0;
    /// Reference rectangle width (group 41); 0 = no wrapping.
    double width = 0;
    std::int8_t attachment = 1;
    /// Group 44: line spacing factor (1 = the CAD's default of 5/3 text heights).
    double lineSpacing = 1;
    /// Seen from below (extrusion 0,0,-1): the text runs mirrored left to
    /// right, `rotation` then measured in the mirrored frame.
    bool mirrored = false;
    QString text;
};

/// INSERT: the block is drawn at `insert`, scaled, rotated, and repeated in
/// a columns × rows array. ATTRIBs follow as their own Text entities in
/// `attributes` (already placed in the coordinates of the INSERT's space).
struct InsertGeom {
    NameId block = kNoName;
    QPointF insert;
    double scaleX = 1;
    double scaleY = 1;
    double rotation = 0;
    std::uint16_t columns = 1;
    std::uint16_t rows = 1;
    double columnSpacing = 0;
    double rowSpacing = 0;
};

/// DIMENSION: its appearance is the anonymous block `block`, drawn at the
/// origin unscaled; the definition points are kept for when it is missing.
struct DimensionGeom {
    NameId block = kNoName;
    QPointF definitionPoint;
    QPointF textMidPoint;
    QString text;
};

struct LeaderGeom {
    std::vector<QPointF> vertices;
    bool arrowhead = true;
};

/// Paper-space viewport: its rectangle on the sheet.
struct ViewportGeom {
    QPointF center;
    double width = 0;
    double height = 0;
};

/// Edges of a polyface or polygon mesh, or of a MESH: the vertices and the
/// visible edges as index pairs into them.
struct MeshGeom {
    std::vector<QPointF> vertices;
    std::vector<std::array<std::uint32_t, 2>> edges;
};

/// MLINE: each element of its style as a polyline, already offset along the
/// miters as the file stores them; `style` names the MLINESTYLE (colours and caps).
struct MLineGeom {
    NameId style = kNoName;
    std::vector<std::vector<QPointF>> elements;
    bool closed = false;
};

/// MULTILEADER: leader lines (each starts at its arrow tip), arrowheads, and
/// its content: MTEXT and/or a block.
struct MultiLeaderContent {
    std::vector<std::vector<QPointF>> leaders;
    double arrowSize = 0;         ///< 0 = no arrowheads
    bool hasText = false;
    MTextGeom text;
    /// The text is framed (entity group 292), the frame this far clear of
    /// the text (the landing gap, context group 145).
    bool textFrame = false;
    double frameGap = 0;
    NameId block = kNoName;       ///< content block, kNoName for none
    QPointF blockPosition;
    double blockScaleX = 1, blockScaleY = 1, blockRotation = 0;
};
/// Held apart so that the common entities stay small.
struct MultiLeaderGeom {
    std::shared_ptr<const MultiLeaderContent> content;
};

/// IMAGE and WIPEOUT: the outline of what they show (the clip boundary when
/// the entity clips, else the whole frame), in drawing units.
struct ImageFrameGeom {
    std::vector<QPointF> outline;
};

/// XLINE (endless both ways) and RAY (endless from `base`).
struct InfiniteLineGeom {
    QPointF base;
    QPointF direction;
};

/// What a proxy-graphics stream (groups 92/160 + 310) draws: primitives with
/// the colour, layer and linetype the stream set before each.
struct ProxyPrimitive {
    enum class Kind : std::uint8_t { Polyline, Fill, Circle, Arc, Text };
    Kind kind = Kind::Polyline;
    bool closed = false;
    std::int16_t color = color::kByLayer;
    std::int32_t trueColor = -1;
    NameId layer = kNoName;    ///< kNoName: the entity's own layer
    NameId linetype = kNoName; ///< kNoName: ByLayer
    std::vector<PolyVertex> vertices; ///< Polyline (with bulges), Fill (one loop)
    ArcGeom arc;                      ///< Circle (angles unused) and Arc
    TextGeom text;                    ///< Text (left/baseline)
};

/// The graphics of an entity we draw from its proxy graphics.
struct ProxyGeom {
    std::shared_ptr<const std::vector<ProxyPrimitive>> primitives;
};

using Geometry = std::variant<std::monostate, LineGeom, PolylineGeom, CircleGeom, ArcGeom,
                              EllipseGeom, SplineGeom, PointGeom, QuadGeom, HatchGeom, TextGeom,
                              MTextGeom, InsertGeom, DimensionGeom, LeaderGeom, ViewportGeom,
                              MeshGeom, MLineGeom, MultiLeaderGeom, ImageFrameGeom, InfiniteLineGeom,
                              ProxyGeom>;

struct Entity;

/// Attributes of an INSERT, kept outside the common case so that an Entity
/// stays small.
using AttributeList = std::vector<Entity>;

struct Entity {
    EntityType type = EntityType::Other;
    /// Colour index: 1..255, kByBlock (0) or kByLayer (256).
    std::int16_t color = color::kByLayer;
    /// kModelSpace or a paper-space layout (1-based index into Drawing::layouts).
    std::uint16_t layout = kModelSpace;
    /// Layer name as written in the entity ("0" when it names none).
    NameId layer = kNoName;
    /// Linetype name as written; kNoName means ByLayer.
    NameId linetype = kNoName;
    /// Group 420 true colour 0xRRGGBB, or -1 when the entity uses `color`.
    std::int32_t trueColor = -1;
    /// Group 48: the entity's own linetype scale (times the drawing's $LTSCALE).
    float linetypeScale = 1;
    /// Group 370 in hundredths of a millimetre, or lineweight::kByLayer,
    /// kByBlock, kDefault.
    std::int16_t lineweight = -1;
    /// Group 5, by which the drawing's sort tables name the entity; 0 when
    /// it has none or one beyond 32 bits (it then keeps its place in the file).
    std::uint32_t handle = 0;
    Geometry geometry;
    /// INSERT only: its ATTRIBs (type Text).
    std::shared_ptr<AttributeList> attributes;
};

} // namespace cad
