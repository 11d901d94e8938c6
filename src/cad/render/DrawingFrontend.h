#pragma once

#include "cad/Drawing.h"
#include "cad/OmissionNotes.h"
#include "cad/Extents.h"
#include "cad/render/PrimitiveBudget.h"
#include "cad/render/LinetypeDashes.h"
#include "cad/render/PropertyResolver.h"
#include "cad/render/RenderBackend.h"

#include <QRectF>
#include <QTransform>

#include <atomic>
#include <optional>

namespace cad::render {

/// Turns the model-space entities of a drawing into backend calls: LINE,
/// LWPOLYLINE and POLYLINE (bulges; widths as filled bands), CIRCLE, ARC,
/// ELLIPSE, SPLINE, POINT, SOLID, TRACE, 3DFACE, HATCH and MPOLYGON (solid,
/// gradient as bands of colour, pattern lines clipped to the boundary by the
/// island style), TEXT and MTEXT, INSERT (nested, scaled, rotated, arrays,
/// attributes), DIMENSION (its block), LEADER, polyface and polygon meshes,
/// MESH, MLINE, MULTILEADER, ACAD_TABLE (its block), WIPEOUT and IMAGE
/// (frames), XLINE and RAY (clipped to the frame), and the proxy graphics of
/// any other entity that has them. Entities with nothing to draw are counted
/// in `skippedEntities`; what is left out, and why, goes into `notes`. Layers that are off or frozen draw
/// nothing; entities go out in file order. Once a picture has drawn
/// `primitiveBudget` primitives, every further insert is drawn as its outline
/// box instead of its block.
///
/// Lines and curves are drawn in their linetype (see LinetypeDashes): the
/// backends only ever see solid strokes, dashes already cut. A pattern whose
/// repetition is shorter than `minimumPatternPeriod` tolerances is drawn
/// continuous, as a CAD shows a linetype too fine for the screen.
class DrawingFrontend {
public:
    /// `tolerance`: how far, in drawing units, flattened curves may stray;
    /// also the finest detail the output can show.
    DrawingFrontend(const Drawing& drawing, double tolerance,
                    std::size_t primitiveBudget = PrimitiveBudget::kPrimitivesPerPicture)
        : DrawingFrontend(drawing, drawing.layers, tolerance, primitiveBudget)
    {
    }
    /// Draws with `layers` in place of the drawing's layer table (see
    /// PropertyResolver); both must outlive the frontend.
    DrawingFrontend(const Drawing& drawing, const std::vector<LayerRecord>& layers, double tolerance,
                    std::size_t primitiveBudget = PrimitiveBudget::kPrimitivesPerPicture);

    /// Once `*stop` turns true (from any thread), drawModelSpace draws no
    /// further entity, at the top level or inside a block, and returns.
    void setStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }
    /// True when the last drawModelSpace ended early at the stop flag.
    bool stopped() const { return m_stopped; }

    /// The picture's frame (drawing units), which endless lines are clipped
    /// to; without one they run to the model-space extents.
    void setFrame(const QRectF& world);

    /// Lineweights become pen widths of `drawingUnitsPerMillimetre` per
    /// millimetre of weight, when the drawing shows lineweights ($LWDISPLAY);
    /// without this call every line is drawn thin.
    void setLineweightScale(double drawingUnitsPerMillimetre);

    void drawModelSpace(RenderBackend& backend);
    std::size_t skippedEntities() const { return m_skipped; }
    /// What the last drawModelSpace left out, by kind, with the first reason.
    const OmissionNotes& notes() const { return m_notes; }
    /// Inserts drawn as their outline box because the budget was spent.
    std::size_t outlinedInserts() const { return m_outlined; }

    static constexpr double minimumPatternPeriod = 16;

private:
    void drawEntity(const Entity& entity, const QTransform& transform, const BlockContext& context, int depth);
    void drawInsert(const Entity& entity, const InsertGeom& insert, const QTransform& transform,
                    const ResolvedProperties& resolved, const BlockContext& context, int depth);
    void drawOutline(const InsertGeom& insert, const BlockDefinition& block, const QTransform& transform,
                     const ResolvedProperties& resolved);
    void drawBlock(NameId block, const QTransform& transform, const BlockContext& inner, int depth);
    void drawText(const TextGeom& text, const QTransform& transform, const Style& style);
    void drawMText(const MTextGeom& text, const QTransform& transform, const Style& style);
    /// One run of text at `at` in a text's own frame (x along the text, y up;
    /// `frame` maps it to the drawing, mirrored for backwards text).
    void emitText(const QTransform& frame, QPointF at, TextRun::Align align, const QString& text, double height,
                  double widthFactor, double oblique, const Style& style);
    /// Draws a polyline in the current entity's linetype.
    void emitPolyline(std::vector<QPointF> points, bool closed, const QTransform& transform, const Style& style);
    /// A circular arc, counterclockwise; a true arc where the transform keeps
    /// circles round and no pattern cuts it, else a polyline.
    void emitArc(QPointF centre, double radius, double startDegrees, double sweepDegrees, const QTransform& transform,
                 const Style& style, double localTolerance);
    /// The current entity's pattern at the scale of `transform`, when it is
    /// drawn as a pattern at all.
    std::optional<DashPattern> dashesFor(const QTransform& transform) const;
    void drawPolyline(const PolylineGeom& polyline, const QTransform& transform, const Style& style,
                      double localTolerance);
    void drawHatch(const Entity& entity, const HatchGeom& hatch, const QTransform& transform, Style style,
                   double localTolerance);
    /// A gradient as bands of solid colour over `area` (drawing units), from `first`'s colour.
    void drawGradient(const HatchGeom& hatch, const std::vector<std::vector<QPointF>>& area, const Style& first);

    // Entities made of others (NewerEntityShapes.cpp).
    void drawMesh(const MeshGeom& mesh, const QTransform& transform, const Style& style);
    void drawMLine(const Entity& entity, const MLineGeom& mline, const QTransform& transform, const BlockContext& inner,
                   int depth);
    void drawMultiLeader(const Entity& entity, const MultiLeaderGeom& leader, const QTransform& transform,
                         const Style& style, const BlockContext& inner, int depth);
    void drawImageFrame(const Entity& entity, const ImageFrameGeom& frame, const QTransform& transform,
                        const Style& style);
    void drawInfiniteLine(const Entity& entity, const InfiniteLineGeom& line, const QTransform& transform,
                          const Style& style);
    void drawProxy(const Entity& entity, const ProxyGeom& proxy, const QTransform& transform, const BlockContext& inner,
                   int depth);
    void drawArrowhead(QPointF tip, QPointF from, double size, const Style& style);
    const QRectF& frame();

    const Drawing& m_drawing;
    PropertyResolver m_resolver;
    double m_tolerance;
    double m_lineweightScale = 0;
    RenderBackend* m_backend = nullptr;
    std::size_t m_skipped = 0;
    OmissionNotes m_notes;
    std::optional<QRectF> m_frame;
    std::size_t m_budgetLimit;
    PrimitiveBudget* m_budget = nullptr;
    std::size_t m_outlined = 0;
    ExtentsMeter m_extents;
    /// The linetype of the entity being drawn: the table's pattern (null for
    /// a continuous line) and its scale.
    const LinetypePattern* m_pattern = nullptr;
    double m_patternScale = 1;
    const std::atomic<bool>* m_stop = nullptr;
    bool m_stopped = false;
};

} // namespace cad::render
