// How the frontend lays out TEXT and MTEXT: alignment, fit and aligned
// text, width factor, oblique, backwards and upside-down, the %% codes with
// their under- and overlines, and MTEXT's format codes, stacking and wrapping
// (the layout itself is cad/text's).

#include "cad/render/DrawingFrontend.h"
#include "cad/text/MTextParser.h"
#include "cad/text/TextLayout.h"

#include <cmath>

namespace cad::render {

namespace {

double angleOf(QPointF v) { return std::atan2(v.y(), v.x()) * 180.0 / M_PI; }
double lengthOf(QPointF v) { return std::hypot(v.x(), v.y()); }

} // namespace

void DrawingFrontend::emitText(const QTransform& frame, QPointF at, TextRun::Align align, const QString& text,
                               double height, double widthFactor, double oblique, const Style& style)
{
    if (text.trimmed().isEmpty() || !(height > 0) || !std::isfinite(height))
        return;
    const QPointF anchor = frame.map(at);
    const QPointF along = frame.map(at + QPointF(1, 0)) - anchor;
    const QPointF up = frame.map(at + QPointF(0, 1)) - anchor;
    const double alongLength = lengthOf(along), upLength = lengthOf(up);
    if (!(alongLength > 0) || !(upLength > 0))
        return;
    TextRun run;
    run.position = anchor;
    run.height = height * upLength;
    // A frame that mirrors draws the glyphs mirrored: the run turns round
    // and is reflected back about its anchor.
    run.mirrored = along.x() * up.y() - along.y() * up.x() < 0;
    run.rotationDegrees = angleOf(run.mirrored ? -along : along);
    run.align = align;
    run.widthFactor = widthFactor * alongLength / upLength;
    run.obliqueDegrees = oblique;
    run.text = text;
    m_backend->drawText(run, style);
}

void DrawingFrontend::drawText(const TextGeom& g, const QTransform& transform, const Style& style)
{
    const text::DecodedText decoded = text::decodeTextCodes(g.text);
    double height = std::abs(g.height);
    if (decoded.text.trimmed().isEmpty() || !(height > 0) || !std::isfinite(height))
        return;
    double widthFactor = g.widthFactor > 0 && std::isfinite(g.widthFactor) ? g.widthFactor : 1;
    double rotation = g.rotation;
    QPointF anchor = g.insert;
    TextRun::Align align = TextRun::Align::Left;
    double lift = 0; // how far the baseline lies above the anchor, in text heights
    const double natural = text::textWidth(decoded.text, height) * widthFactor;
    if (g.hAlign == 3 || g.hAlign == 5) {
        // Aligned and fit text runs from the insertion point to the
        // alignment point: aligned text scales its height to that length,
        // fit text squeezes or stretches its width and keeps its height.
        const QPointF span = g.alignPoint - g.insert;
        const double length = lengthOf(span);
        anchor = (g.insert + g.alignPoint) / 2; // centred, so that a font wider or narrower errs evenly
        align = TextRun::Align::Center;
        if (length > 0 && natural > 0) {
            rotation = angleOf(span);
            if (g.hAlign == 5)
                widthFactor *= length / natural;
            else
                height *= length / natural;
        }
    } else if (g.hAlign == 4) {
        anchor = g.alignPoint;
        align = TextRun::Align::Center;
        lift = -0.5;
    } else if (g.hAlign != 0 || g.vAlign != 0) {
        anchor = g.alignPoint;
        align = g.hAlign == 1 ? TextRun::Align::Center : g.hAlign == 2 ? TextRun::Align::Right : TextRun::Align::Left;
        lift = g.vAlign == 1 ? 0.3 : g.vAlign == 2 ? -0.5 : g.vAlign == 3 ? -1.0 : 0.0;
    }
    QTransform local;
    local.translate(anchor.x(), anchor.y());
    local.rotate(rotation);
    // Backwards text is mirrored left to right, upside-down text top to bottom, about the anchor.
    local.scale(g.generation & 2 ? -1 : 1, g.generation & 4 ? -1 : 1);
    const QTransform frame = local * transform;
    const double baseline = lift * height;
    emitText(frame, {0, baseline}, align, decoded.text, height, widthFactor, g.oblique, style);

    // %%u and %%o: lines under and over the characters they cover.
    const double width = text::textWidth(decoded.text, height) * widthFactor;
    const double start = align == TextRun::Align::Left ? 0 : align == TextRun::Align::Center ? -width / 2 : -width;
    for (const auto& [flags, offset] : {std::pair{&decoded.underline, -0.2}, std::pair{&decoded.overline, 1.2}}) {
        qsizetype i = 0;
        const qsizetype n = decoded.text.size();
        while (i < n) {
            if (!(*flags)[std::size_t(i)]) {
                ++i;
                continue;
            }
            qsizetype j = i;
            while (j < n && (*flags)[std::size_t(j)])
                ++j;
            const double x0 = start + text::textWidth(decoded.text.left(i), height) * widthFactor;
            const double x1 = start + text::textWidth(decoded.text.left(j), height) * widthFactor;
            const double y = baseline + offset * height;
            emitPolyline({{x0, y}, {x1, y}}, false, frame, style);
            i = j;
        }
    }
}

void DrawingFrontend::drawMText(const MTextGeom& g, const QTransform& transform, const Style& style)
{
    const double height = std::abs(g.height);
    if (!(height > 0) || !std::isfinite(height))
        return;
    const text::MTextLayout layout = text::layoutMText(text::parseMText(g.text, height), height, g.width,
                                                       g.lineSpacing, g.attachment);
    const QTransform frame = text::mtextFrame(g) * transform;
    auto styled = [&](const text::FragmentStyle& f) {
        Style s = style;
        if (f.trueColor >= 0)
            s.colour = (f.trueColor & 0xFFFFFF) == 0xFFFFFF ? 0xFF000000 : 0xFF000000u | QRgb(f.trueColor);
        else if (f.color >= 1 && f.color <= 255)
            s.colour = m_resolver.colourOfIndex(f.color);
        return s;
    };
    for (const text::PlacedRun& run : layout.runs)
        emitText(frame, run.baseline, TextRun::Align::Left, run.text, run.style.height, run.style.widthFactor,
                 run.style.oblique, styled(run.style));
    for (const text::PlacedLine& line : layout.lines)
        emitPolyline({line.from, line.to}, false, frame, styled(line.style));
}

} // namespace cad::render
