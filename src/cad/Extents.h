#pragma once

// Geometry bounds, shared by the inspector and the picture renderer so that
// both frame a drawing the same way.

#include "Drawing.h"

#include <QRectF>
#include <QTransform>

#include <optional>

namespace cad {

/// A growing axis-aligned box (QRectF cannot hold an empty box at a point).
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

/// Adds the bounds of `entity` seen through `transform` (block nesting) to
/// `bounds`: lines and polylines by their points (bulges by their arcs),
/// circles/arcs/ellipses by their extreme points, texts by their insertion
/// point plus an estimate of their box, inserts through their block's
/// entities. Block recursion stops at depth 16 (self-referencing blocks).
void addEntityBounds(const Drawing& drawing, const Entity& entity, const QTransform& transform,
                     Bounds& bounds, int depth = 0);

/// The bounding box [xmin, ymin, xmax, ymax] of every model-space entity, or
/// nullopt when model space holds nothing measurable.
std::optional<QRectF> modelExtents(const Drawing& drawing);

/// The transform an INSERT applies to its block's entities for array cell
/// (column, row): block base point to origin, scale, rotate, move to the
/// insertion point plus the cell offset (rotated with the insert).
QTransform insertTransform(const InsertGeom& insert, const QPointF& blockBase, int column, int row);

} // namespace cad
