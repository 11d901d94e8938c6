#include "metafile/WmfTinyCurves.h"

#include <QPainterPath>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

using metafile::tinyArcLines;
using metafile::tinyEllipseLines;

namespace {

/// The ends of the lines the painter flattens `path` to when its curves are
/// too small to be split: every move and line point, and each curve's end;
/// a line to the very point it starts from is no line.
std::vector<QPointF> flattenedEnds(const QPainterPath& path)
{
    std::vector<QPointF> ends;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        const bool curveEnd = e.type == QPainterPath::CurveToDataElement
                              && (i + 1 == path.elementCount()
                                  || path.elementAt(i + 1).type != QPainterPath::CurveToDataElement);
        if (e.type == QPainterPath::MoveToElement || e.type == QPainterPath::LineToElement || curveEnd)
            if (ends.empty() || e.type != QPainterPath::LineToElement || ends.back() != QPointF(e))
                ends.push_back(QPointF(e));
    }
    return ends;
}

void expectSameEnds(const std::vector<QPointF>& actual, const std::vector<QPointF>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i].x(), expected[i].x(), 1e-9) << i;
        EXPECT_NEAR(actual[i].y(), expected[i].y(), 1e-9) << i;
    }
}

} // namespace

TEST(WmfTinyCurves, ArcLinesEndWhereThePaintersCurvesEnd)
{
    // Random arcs, arcs starting or ending on a quarter, and arcs whose ends
    // lie a rounding error either side of a quarter (as angles measured
    // from a CAD's round numbers do, and where the painter adds or leaves
    // out a curve), against the outline the painter builds itself.
    std::mt19937 random(11);
    std::uniform_real_distribution<double> angle(-360, 360), size(0.05, 0.95), span(0.001, 359.9);
    QPainterPath scratch;
    QPolygonF lines;
    for (int i = 0; i < 4000; ++i) {
        const QRectF box(size(random) * 10, size(random) * 10, size(random), size(random));
        double from = angle(random), over = span(random);
        if (i % 4 == 1)
            from = 90.0 * int(from / 90);
        if (i % 4 == 2)
            over = 90.0 * (1 + i % 3) - (from - 90.0 * std::floor(from / 90));
        if (i % 4 == 3)
            from = 90.0 * int(from / 90), over = 90.0 * (1 + i % 3);
        if (i % 8 >= 4) { // a rounding error off
            const double nudge = (i % 16 >= 8 ? 1 : -1) * std::abs(from) * 1e-15 * (1 + i % 3);
            (i % 2 ? from : over) += nudge;
        }
        SCOPED_TRACE(testing::Message() << "from " << from << " over " << over);
        QPainterPath outline;
        outline.arcMoveTo(box, from);
        outline.arcTo(box, from, over);
        ASSERT_TRUE(tinyArcLines(box, from, over, scratch, lines));
        expectSameEnds(std::vector<QPointF>(lines.begin(), lines.end()), flattenedEnds(outline));
    }
}

TEST(WmfTinyCurves, AnArcWithoutACurveIsLeftToThePainter)
{
    QPainterPath scratch;
    QPolygonF lines;
    const QRectF box(0, 0, 0.5, 0.5);
    EXPECT_FALSE(tinyArcLines(box, 30, 1e-9, scratch, lines));
    EXPECT_TRUE(tinyArcLines(box, 30, 1e-3, scratch, lines));
}

TEST(WmfTinyCurves, EllipseLinesRunThroughThePaintersQuarterPoints)
{
    QPolygonF lines;
    for (const QRectF box : {QRectF(0, 0, 0.5, 0.25), QRectF(3.25, -7.5, 0.125, 0.9), QRectF(-1, -1, 2, 2)}) {
        QPainterPath outline;
        outline.addEllipse(box);
        tinyEllipseLines(box, lines);
        EXPECT_EQ(lines.size(), 5);
        EXPECT_EQ(lines.front(), lines.back()); // closed
        expectSameEnds(std::vector<QPointF>(lines.begin(), lines.end()), flattenedEnds(outline));
    }
}
