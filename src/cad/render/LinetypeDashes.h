#pragma once

// Linetype patterns along polylines: which pieces of a line are drawn as
// dashes and where its dots fall. Pure geometry, no drawing: the frontend
// runs every stroke through here once, so every backend gets the same dashes.

#include "cad/Drawing.h"

#include <QPointF>

#include <vector>

namespace cad::render {

/// A linetype's pattern at its final scale: lengths in drawing units as the
/// LTYPE table stores them (group 49), positive a dash, negative a gap, zero
/// a dot.
class DashPattern {
public:
    DashPattern() = default;
    DashPattern(const std::vector<double>& elements, double scale);
    /// A linetype's dashes and the texts it writes, at `scale`. An absolute
    /// text rotation is measured from the x axis of the frame the line lies
    /// in (a block's), which is turned `frameDegrees` from the picture's.
    DashPattern(const LinetypePattern& pattern, double scale, double frameDegrees = 0);

    /// No gaps, nothing to repeat, or a length that cannot be used: drawn as
    /// a continuous line.
    bool isContinuous() const { return m_period <= 0; }
    /// The length of one repetition.
    double period() const { return m_period; }
    const std::vector<double>& elements() const { return m_elements; }

    /// A text of the pattern at its scale: where it sits in one repetition.
    struct Text {
        double along = 0;  ///< from the repetition's start, offset included
        double across = 0; ///< to the left of the line
        double height = 1;
        double rotationDegrees = 0;
        bool absolute = false;
        bool upright = false;
        QString text;
    };
    const std::vector<Text>& texts() const { return m_texts; }

private:
    std::vector<double> m_elements;
    std::vector<Text> m_texts;
    double m_period = 0;
};

/// A text a complex linetype writes along a line, placed: its baseline starts
/// at `position` and runs at `rotationDegrees` (counterclockwise).
struct PlacedText {
    QPointF position;
    double rotationDegrees = 0;
    double height = 1;
    bool upright = false; ///< to be turned round about its middle when it would read upside down
    QString text;
};

/// What a pattern makes of a polyline.
struct DashedStroke {
    std::vector<std::vector<QPointF>> dashes; ///< each a polyline of two or more points
    std::vector<QPointF> dots;
    std::vector<PlacedText> texts;
};

/// Runs `pattern` along the polyline `points` from its first point, one
/// repetition after another without restarting at the vertices, and appends
/// the result to `out`. A polyline shorter than one repetition is drawn
/// whole, as a CAD draws a line too short to hold its pattern. More than
/// `maximumPieces` dashes and dots would be a runaway (a tiny pattern on a
/// huge line): the polyline is then drawn whole, too. A text of the pattern
/// is placed wherever its repetition puts it on the line.
void dashPolyline(const std::vector<QPointF>& points, const DashPattern& pattern, DashedStroke& out,
                  std::size_t maximumPieces = 20000);

/// The dashes of one straight pattern line from `from` to `to` whose pattern
/// starts at `origin` (a point on the same line, at or before `from`), as
/// hatch pattern lines are laid: every line of a family starts its pattern
/// at its own origin.
void dashSegment(QPointF origin, QPointF from, QPointF to, const DashPattern& pattern, DashedStroke& out);

} // namespace cad::render
