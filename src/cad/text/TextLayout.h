#pragma once

// Where the characters of a text go, estimated without a font: a picture is
// played with whatever fonts its reader has, so widths come from a table of
// the proportional sans-serif face the pictures name (Arial's advances),
// full-width (CJK) characters one em wide. Heights are capital heights, as
// DXF measures text.

#include "cad/Entity.h"
#include "cad/text/MTextParser.h"

#include <QPointF>
#include <QString>
#include <QTransform>

#include <vector>

namespace cad::text {

/// The frame an MTEXT is laid out in (x along the text, y up) in drawing units.
QTransform mtextFrame(const MTextGeom& g);

/// A font's em is about this many times its capital height.
constexpr double kEmPerCapHeight = 1.4;

/// Width of `text` at capital height `height` and width factor 1.
double textWidth(const QString& text, double height);

/// One run of MTEXT placed in the text's own frame: x to the right, y up,
/// the origin at the insertion point (the attachment point already applied).
struct PlacedRun {
    QPointF baseline; ///< left end of the run on its baseline
    QString text;
    FragmentStyle style;
};

/// A straight line of the layout: underline, overline, strike-through and
/// fraction bars, in the same frame.
struct PlacedLine {
    QPointF from, to;
    FragmentStyle style;
};

struct MTextLayout {
    std::vector<PlacedRun> runs;
    std::vector<PlacedLine> lines;
    /// The block's box in the text's frame.
    double left = 0, top = 0, width = 0, height = 0;
};

/// Lays out MTEXT: paragraphs wrapped at `referenceWidth` (none when 0),
/// lines 5/3 of their tallest text apart times `lineSpacing`, the block
/// placed by `attachment` (1 top left ... 9 bottom right). Stacked text is
/// drawn at 70% height above and below the middle of the line.
MTextLayout layoutMText(const std::vector<Paragraph>& paragraphs, double height, double referenceWidth,
                        double lineSpacing, int attachment);

} // namespace cad::text
