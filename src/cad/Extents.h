#pragma once

// Geometry bounds, shared by the inspector and the picture renderer so that
// both frame a drawing the same way.

#include "Drawing.h"
#include "EntityStream.h"

#include <QRectF>
#include <QTransform>

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace cad {

/// A growing axis-aligned box (QRectF cannot hold an empty box at a point).
/// Points that are not finite, or lie beyond ±kFarthestCoordinate, are left
/// out, so that the box always has a finite size.
/// Coordinates beyond this are no geometry a drawing can mean; they would
/// make the box's size overflow.
constexpr double kFarthestCoordinate = 1e100;

class Bounds {
public:
    void add(const QPointF& p);
    void add(const Bounds& other);
    bool isEmpty() const { return m_empty; }
    /// The box; a null QRectF when empty. A single point gives a zero-size rect.
    QRectF rect() const;

private:
    bool m_empty = true;
    double m_x0 = 0, m_y0 = 0, m_x1 = 0, m_y1 = 0;
};

struct PointSink;

/// Measures entities through block nesting. Each block definition is measured
/// once, into the convex hull of its points, and an insert then costs the few
/// points of that hull (per corner cell of an array), so blocks that insert
/// each other many times over stay cheap. Lines and polylines count by their
/// points (bulges by their arcs), circles, arcs and ellipses by their extreme
/// points, texts by an estimate of their box. Nesting stops at depth 16, and a
/// block that inserts itself adds nothing more.
class ExtentsMeter {
public:
    explicit ExtentsMeter(const Drawing& drawing) : m_drawing(drawing) {}

    /// Adds the bounds of `entity` seen through `transform` to `bounds`.
    void addEntity(const Entity& entity, const QTransform& transform, Bounds& bounds);
    /// The box of a block definition in its own coordinates (before the
    /// insert's transform); empty when it holds nothing measurable.
    Bounds blockBox(const BlockDefinition& block);

private:
    const std::vector<QPointF>& blockHull(const BlockDefinition& block, int depth);
    void addTo(PointSink& sink, const Entity& entity, const QTransform& transform, int depth);
    void addMText(PointSink& sink, const QTransform& transform, const MTextGeom& text);

    /// What an MTEXT's box depends on, bit for bit.
    struct MTextKey {
        QString text;
        std::uint64_t height, width, lineSpacing;
        int attachment;
        bool operator==(const MTextKey&) const = default;
    };
    struct MTextKeyHash {
        std::size_t operator()(const MTextKey& k) const;
    };
    /// An MTEXT's box in its own frame: left, top, width, height.
    using MTextBox = std::array<double, 4>;

    const Drawing& m_drawing;
    std::unordered_map<const BlockDefinition*, std::vector<QPointF>> m_hulls;
    std::unordered_set<const BlockDefinition*> m_measuring;
    /// Drawings repeat their notes and labels: the same text at the same
    /// size is laid out once.
    std::unordered_map<MTextKey, MTextBox, MTextKeyHash> m_mtextBoxes;
};

/// The bounding box [xmin, ymin, xmax, ymax] of every model-space entity, or
/// nullopt when model space holds nothing measurable.
std::optional<QRectF> modelExtents(const Drawing& drawing);

/// modelExtents() of a drawing whose entities are handed over as they are
/// read (see EntityStream): each is measured at once, except inserts and
/// dimensions, which wait for the drawing's blocks and are measured by
/// finish(). The box is the one modelExtents() gives for the same entities.
class StreamedModelExtents final : public EntityStream {
public:
    void take(Entity&& entity) override;
    /// The extents, once `drawing` (its block definitions) is read whole.
    std::optional<QRectF> finish(const Drawing& drawing);

private:
    Drawing m_noBlocks;
    ExtentsMeter m_meter{m_noBlocks};
    Bounds m_bounds;
    // A deque: tens of thousands of inserts wait in a large drawing, and a
    // vector's doublings would copy them and touch twice their memory.
    std::deque<Entity> m_waitingForBlocks;
};

/// The outline box of an insert (every cell of its array), given its block's
/// box in block coordinates: four corners in the insert's space, turning
/// with the insert's rotation. Empty when the block's box is empty.
std::vector<QPointF> insertOutline(const InsertGeom& insert, const QPointF& blockBase, const Bounds& blockBox);

/// The transform an INSERT applies to its block's entities for array cell
/// (column, row): block base point to origin, scale, rotate, move to the
/// insertion point plus the cell offset (rotated with the insert).
QTransform insertTransform(const InsertGeom& insert, const QPointF& blockBase, int column, int row);

} // namespace cad
