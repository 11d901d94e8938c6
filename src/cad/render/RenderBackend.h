#pragma once

// The narrow interface between the drawing frontend (which interprets
// entities) and an output: a metafile, a painter, a recording. Every call
// carries geometry in drawing units (y up), already through block transforms,
// and the resolved style, linetypes already cut into dashes. Whole circles
// and circular arcs come as such (an output without arcs inherits their
// flattening); other curves arrive as polylines.

#include "cad/Curves.h"

#include <QPointF>
#include <QRgb>
#include <QString>

#include <vector>

namespace cad::render {

/// How a primitive looks and where it belongs.
struct Style {
    QRgb colour = 0xFF000000;
    /// Line width in drawing units; 0 draws the thinnest line.
    double width = 0;
    /// Table index of the layer the primitive counts for (layer 0 inside a
    /// block counts for the insert's layer); -1 for a layer not in the table.
    int layer = -1;
};

/// One line of text placed by its baseline.
struct TextRun {
    enum class Align { Left, Center, Right };
    QPointF position;       ///< on the baseline, at the left, centre or right end
    double height = 1;      ///< capital-letter height, drawing units
    double rotationDegrees = 0; ///< counterclockwise
    Align align = Align::Left;
    /// Character widths relative to the font's own (TEXT group 41, MTEXT \W).
    double widthFactor = 1;
    /// Slant of the characters, degrees clockwise from upright.
    double obliqueDegrees = 0;
    /// Drawn mirrored left to right about the anchor, along the text's
    /// direction (backwards text; upside-down text is mirrored and turned).
    bool mirrored = false;
    QString text;
};

class RenderBackend {
public:
    virtual ~RenderBackend() = default;
    virtual void drawPolyline(const std::vector<QPointF>& points, bool closed, const Style& style) = 0;
    /// Fills the area inside the loops, holes by the even-odd rule.
    virtual void fillPolygons(const std::vector<std::vector<QPointF>>& loops, const Style& style) = 0;
    virtual void drawCircle(QPointF centre, double radius, const Style& style) = 0;
    /// A circular arc counterclockwise from `startDegrees` through
    /// `sweepDegrees` (0 to 360). Outputs without arcs of their own get it as
    /// a polyline within `tolerance` (drawing units).
    virtual void drawArc(QPointF centre, double radius, double startDegrees, double sweepDegrees, double tolerance,
                         const Style& style)
    {
        drawPolyline(flattenArc(centre, radius, startDegrees, startDegrees + sweepDegrees, tolerance), false, style);
    }
    virtual void drawText(const TextRun& text, const Style& style) = 0;
    virtual void drawPoint(QPointF position, const Style& style) = 0;
};

} // namespace cad::render
