#pragma once

#include "cad/render/PictureFrame.h"
#include "cad/render/RenderBackend.h"

#include <QPoint>

#include <vector>

namespace metafile {
class WmfWriter;
struct TextPiece;
}

namespace cad::render {

/// Writes primitives into a metafile laid out by a PictureFrame. Geometry is
/// rounded to logical units, repeated points are dropped, and lines that run
/// far outside the frame are clipped before they meet the metafile's 16-bit
/// coordinates. Circles and circular arcs are true ellipse and arc records.
/// Backwards and upside-down text is written as its glyphs' filled outlines
/// where fonts can be had: a metafile's text records cannot be mirrored (GDI
/// draws them readable in a mirrored window), so an office suite showing an
/// exported picture would turn such text the right way round.
class WmfBackend : public RenderBackend {
public:
    WmfBackend(metafile::WmfWriter& writer, const PictureFrame& frame);

    void drawPolyline(const std::vector<QPointF>& points, bool closed, const Style& style) override;
    void fillPolygons(const std::vector<std::vector<QPointF>>& loops, const Style& style) override;
    void drawCircle(QPointF centre, double radius, const Style& style) override;
    /// A true arc record: round at every zoom, and smaller than its points.
    void drawArc(QPointF centre, double radius, double startDegrees, double sweepDegrees, double tolerance,
                 const Style& style) override;
    void drawText(const TextRun& text, const Style& style) override;
    void drawPoint(QPointF position, const Style& style) override;

    /// A font's em is about this many times the height of its capitals,
    /// which is what a drawing's text height measures.
    static constexpr double capHeightToEm = 1.4;
    /// Fonts in a metafile slant only as italics: text at least this
    /// oblique (degrees) is written in italics.
    static constexpr double italicFromOblique = 5.0;

private:
    void setPen(const Style& style);
    /// The text as the filled outlines of its glyphs: mirrored along the
    /// text (backwards text), or `upright` for characters no metafile font
    /// can name. False when it is too small for outlines or there are no fonts.
    bool fillTextOutline(const TextRun& text, const Style& style, bool upright = false);
    /// Text that needs more than one character set, piece by piece.
    void drawTextPieces(const TextRun& text, const std::vector<metafile::TextPiece>& pieces, const Style& style);
    void writeTextRecord(const TextRun& text, const QString& characters, const Style& style);
    /// How long a piece of text runs at this capital height, width factor 1.
    static double pieceWidth(const metafile::TextPiece& piece, double capHeight);
    void writeRun(std::vector<QPoint>& run);
    /// Sets the pen; a circle of radius under half a unit is written as a dot.
    bool writeDotIfTiny(QPointF centre, double radius, const Style& style);

    metafile::WmfWriter& m_writer;
    QTransform m_toLogical;
    double m_scale;
};

} // namespace cad::render
