#include "cad/render/WmfBackend.h"

#include "cad/render/LineClip.h"
#include "cad/text/TextLayout.h"

#include "metafile/WmfText.h"
#include "metafile/WmfWriter.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainterPath>

#include <cmath>

namespace cad::render {

namespace {

/// Lines are clipped to this box (logical units), well inside 16 bits.
constexpr double clipLimit = 30000;
/// Mirrored text smaller than this (logical units to the em) stays a text record.
constexpr double minimumOutlineEm = 8;

QPoint rounded(QPointF p)
{
    return QPoint(int(std::lround(std::clamp(p.x(), -32767.0, 32767.0))),
                  int(std::lround(std::clamp(p.y(), -32767.0, 32767.0))));
}

/// Clips the segment a-b to the square ±clipLimit; false when nothing of it
/// lies inside.
bool clipSegment(QPointF& a, QPointF& b)
{
    static const QRectF square(-clipLimit, -clipLimit, 2 * clipLimit, 2 * clipLimit);
    const QPointF start = a;
    return clipLineToBox(start, b - start, 0, 1, square, a, b);
}

bool inside(QPointF p)
{
    return std::abs(p.x()) <= clipLimit && std::abs(p.y()) <= clipLimit;
}

/// True when a circle round `c` (logical units) fits a metafile record's
/// 16-bit coordinates; one that does not is drawn as clipped lines.
bool fitsRecord(QPointF c, double r)
{
    return std::isfinite(r) && std::isfinite(c.x()) && std::isfinite(c.y()) && r <= clipLimit && inside(c);
}

/// The box of a circle, rounded to logical units.
QRect boxAround(QPointF c, double r)
{
    const QPoint topLeft = rounded(c - QPointF(r, r));
    const QPoint bottomRight = rounded(c + QPointF(r, r));
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
}

} // namespace

WmfBackend::WmfBackend(metafile::WmfWriter& writer, const PictureFrame& frame)
    : m_writer(writer), m_toLogical(frame.worldToLogical()), m_scale(std::sqrt(std::abs(m_toLogical.determinant())))
{
}

void WmfBackend::setPen(const Style& style)
{
    m_writer.setPen(QColor::fromRgb(style.colour), int(std::lround(style.width * m_scale)));
}

void WmfBackend::writeRun(std::vector<QPoint>& run)
{
    if (run.size() == 1)
        run.push_back(run.front() + QPoint(1, 0)); // a curve smaller than a unit still shows as a dot
    if (run.size() >= 2)
        m_writer.polyline(run);
    run.clear();
}

void WmfBackend::drawPolyline(const std::vector<QPointF>& points, bool closed, const Style& style)
{
    if (points.empty())
        return;
    setPen(style);
    std::vector<QPointF> logical;
    logical.reserve(points.size() + 1);
    for (const QPointF& p : points)
        if (std::isfinite(p.x()) && std::isfinite(p.y()))
            logical.push_back(m_toLogical.map(p));
    if (closed && logical.size() > 2)
        logical.push_back(logical.front());
    if (logical.empty())
        return;

    std::vector<QPoint> run;
    run.reserve(logical.size());
    auto push = [&run](QPointF p) {
        const QPoint q = rounded(p);
        if (run.empty() || run.back() != q)
            run.push_back(q);
    };
    if (logical.size() == 1) {
        if (inside(logical.front()))
            push(logical.front());
        writeRun(run);
        return;
    }
    for (std::size_t i = 0; i + 1 < logical.size(); ++i) {
        QPointF a = logical[i], b = logical[i + 1];
        if (!clipSegment(a, b)) {
            writeRun(run);
            continue;
        }
        if (a != logical[i] && !run.empty())
            writeRun(run); // the line came back into the box: a new piece
        push(a);
        push(b);
        if (b != logical[i + 1])
            writeRun(run);
    }
    writeRun(run);
}

void WmfBackend::fillPolygons(const std::vector<std::vector<QPointF>>& loops, const Style& style)
{
    std::vector<std::vector<QPoint>> polygons;
    for (const auto& loop : loops) {
        std::vector<QPoint> polygon;
        polygon.reserve(loop.size());
        for (const QPointF& p : loop) {
            const QPoint q = rounded(m_toLogical.map(p));
            if (polygon.empty() || polygon.back() != q)
                polygon.push_back(q);
        }
        if (polygon.size() >= 3)
            polygons.push_back(std::move(polygon));
    }
    if (polygons.empty())
        return;
    // The outline in the fill colour keeps thin fills visible at any size.
    m_writer.setPen(QColor::fromRgb(style.colour), 0);
    m_writer.setBrush(QColor::fromRgb(style.colour));
    m_writer.polyPolygon(polygons);
    m_writer.setNoBrush();
}

bool WmfBackend::writeDotIfTiny(QPointF c, double r, const Style& style)
{
    setPen(style);
    if (r >= 0.5)
        return false;
    std::vector<QPoint> dot{rounded(c)};
    writeRun(dot);
    return true;
}

void WmfBackend::drawCircle(QPointF centre, double radius, const Style& style)
{
    const QPointF c = m_toLogical.map(centre);
    const double r = radius * m_scale;
    if (!fitsRecord(c, r)) {
        // Too large or too far for 16-bit coordinates: draw it as lines, clipped.
        std::vector<QPointF> outline;
        const int n = 720;
        for (int i = 0; i <= n; ++i)
            outline.push_back(centre + QPointF(std::cos(2 * M_PI * i / n), std::sin(2 * M_PI * i / n)) * radius);
        drawPolyline(outline, false, style);
        return;
    }
    if (writeDotIfTiny(c, r, style))
        return;
    m_writer.setNoBrush();
    m_writer.ellipse(boxAround(c, r));
}

void WmfBackend::drawArc(QPointF centre, double radius, double startDegrees, double sweepDegrees, double tolerance,
                         const Style& style)
{
    const QPointF c = m_toLogical.map(centre);
    const double r = radius * m_scale;
    if (!fitsRecord(c, r) || !(sweepDegrees > 0) || sweepDegrees >= 360) {
        RenderBackend::drawArc(centre, radius, startDegrees, sweepDegrees, tolerance, style);
        return;
    }
    if (writeDotIfTiny(c, r, style))
        return;
    // The picture's y runs down and is seen so: the drawing's counterclockwise
    // arc stays counterclockwise as seen. The rays are given by points far out
    // along them, for their angle's sake.
    auto ray = [&](double degrees) {
        const double a = degrees * M_PI / 180.0;
        const QPointF direction = m_toLogical.map(centre + QPointF(std::cos(a), std::sin(a))) - m_toLogical.map(centre);
        const double length = std::hypot(direction.x(), direction.y());
        return rounded(c + direction * (std::max(r, 1000.0) / std::max(length, 1e-300)));
    };
    m_writer.setNoBrush();
    m_writer.arc(boxAround(c, r), ray(startDegrees), ray(startDegrees + sweepDegrees));
}

bool WmfBackend::fillTextOutline(const TextRun& text, const Style& style, bool upright)
{
    // Fonts come with a GUI application; text a few units high is kept as a
    // text record, which stays there when zoomed where outlines would not.
    if (!qGuiApp || text.height * m_scale * capHeightToEm < minimumOutlineEm)
        return false;
    // Outlines are taken at this many pixels to the em, then scaled.
    constexpr int referenceEm = 256;
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(referenceEm);
    font.setItalic(std::abs(text.obliqueDegrees) >= italicFromOblique);
    QPainterPath glyphs;
    glyphs.addText(0, 0, font, text.text);
    const double advance = QFontMetricsF(font).horizontalAdvance(text.text);
    const double start = text.align == TextRun::Align::Center  ? -advance / 2
                         : text.align == TextRun::Align::Right ? -advance
                                                               : 0.0;
    // Outline pixels (y down) to drawing units (y up) about the anchor,
    // squeezed by the width factor and mirrored along the text.
    const double k = text.height * capHeightToEm / referenceEm;
    const double mirror = upright ? 1 : -1;
    const QTransform toDrawing = QTransform::fromTranslate(start, 0) * QTransform::fromScale(mirror * k * text.widthFactor, -k)
                                 * QTransform().rotate(text.rotationDegrees)
                                 * QTransform::fromTranslate(text.position.x(), text.position.y());
    std::vector<std::vector<QPointF>> loops;
    for (const QPolygonF& contour : glyphs.toSubpathPolygons(toDrawing))
        loops.emplace_back(contour.begin(), contour.end());
    fillPolygons(loops, style);
    return true;
}

void WmfBackend::drawText(const TextRun& text, const Style& style)
{
    const QPointF anchor = m_toLogical.map(text.position);
    const double em = text.height * m_scale * capHeightToEm;
    if (!inside(anchor) || !std::isfinite(em) || em > 32767)
        return;
    if (text.mirrored && fillTextOutline(text, style))
        return;
    const std::vector<metafile::TextPiece> pieces = metafile::splitMetafileText(text.text);
    if (pieces.size() > 1 || (pieces.size() == 1 && !pieces.front().held)) {
        drawTextPieces(text, pieces, style);
        return;
    }
    writeTextRecord(text, text.text, style);
}

double WmfBackend::pieceWidth(const metafile::TextPiece& piece, double capHeight)
{
    // Measured in the face a player shows the piece in (the one the text
    // record names, or the outlines' face), where there are fonts; else
    // estimated as the layout does.
    if (!qGuiApp)
        return text::textWidth(piece.text, capHeight);
    const std::uint8_t set = piece.held ? metafile::encodeMetafileText(piece.text).charset : metafile::charset::Ansi;
    constexpr int referenceEm = 256;
    QFont font(QString::fromLatin1(metafile::metafileFace(set)));
    font.setPixelSize(referenceEm);
    return QFontMetricsF(font).horizontalAdvance(piece.text) * capHeight * capHeightToEm / referenceEm;
}

void WmfBackend::drawTextPieces(const TextRun& text, const std::vector<metafile::TextPiece>& pieces,
                                const Style& style)
{
    // Each piece is placed where the estimated widths of the pieces before
    // it end, left-aligned, along the text's direction.
    std::vector<double> widths;
    double total = 0;
    for (const metafile::TextPiece& piece : pieces)
        total += widths.emplace_back(pieceWidth(piece, text.height) * text.widthFactor);
    double offset = text.align == TextRun::Align::Center  ? -total / 2
                    : text.align == TextRun::Align::Right ? -total
                                                          : 0.0;
    const double radians = text.rotationDegrees * M_PI / 180;
    // Mirrored text runs the other way from its anchor.
    const QPointF along = QPointF(std::cos(radians), std::sin(radians)) * (text.mirrored ? -1.0 : 1.0);
    for (size_t i = 0; i < pieces.size(); ++i) {
        TextRun piece = text;
        piece.text = pieces[i].text;
        piece.align = TextRun::Align::Left;
        piece.position = text.position + along * offset;
        offset += widths[i];
        if (pieces[i].held) {
            writeTextRecord(piece, piece.text, style);
        } else if (!fillTextOutline(piece, style, true)) {
            // Too small for outlines (or no fonts): the nearest character a
            // set holds, the diameter sign as the slashed O that %%c gives.
            QString nearest = piece.text;
            nearest.replace(QChar(0x2205), QChar(0xD8)).replace(QChar(0x2300), QChar(0xD8));
            writeTextRecord(piece, nearest, style);
        }
    }
}

void WmfBackend::writeTextRecord(const TextRun& text, const QString& characters, const Style& style)
{
    const QPointF anchor = m_toLogical.map(text.position);
    const double em = text.height * m_scale * capHeightToEm;
    if (!inside(anchor) || !std::isfinite(em) || em > 32767)
        return;
    metafile::WmfTextStyle wmfStyle;
    // Font sizes are whole logical units: smaller text is written one unit
    // high, so that it is there when the picture is zoomed.
    wmfStyle.height = std::max(1, int(std::lround(em)));
    wmfStyle.widthFactor = text.widthFactor * em / wmfStyle.height;
    wmfStyle.italic = std::abs(text.obliqueDegrees) >= italicFromOblique;
    wmfStyle.mirrored = text.mirrored;
    wmfStyle.angleDegrees = text.rotationDegrees;
    wmfStyle.hAlign = text.align == TextRun::Align::Center  ? metafile::WmfTextStyle::HAlign::Center
                      : text.align == TextRun::Align::Right ? metafile::WmfTextStyle::HAlign::Right
                                                            : metafile::WmfTextStyle::HAlign::Left;
    wmfStyle.vAlign = metafile::WmfTextStyle::VAlign::Baseline;
    wmfStyle.colour = QColor::fromRgb(style.colour);
    m_writer.text(rounded(anchor), characters, wmfStyle);
}

void WmfBackend::drawPoint(QPointF position, const Style& style)
{
    const QPointF p = m_toLogical.map(position);
    if (!inside(p))
        return;
    setPen(style);
    std::vector<QPoint> dot{rounded(p)};
    writeRun(dot);
}

} // namespace cad::render
