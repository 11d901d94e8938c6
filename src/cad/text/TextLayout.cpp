#include "cad/text/TextLayout.h"

#include <algorithm>
#include <cmath>

namespace cad::text {

QTransform mtextFrame(const MTextGeom& g)
{
    QTransform local;
    local.translate(g.insert.x(), g.insert.y());
    if (g.mirrored)
        local.scale(-1, 1);
    local.rotate(g.rotation);
    return local;
}

namespace {

/// Advances of the printable ASCII characters (space to tilde) in the sans-
/// serif face the pictures name, in thousandths of an em.
constexpr short kAsciiAdvance[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, // space ... /
    556, 556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, // 0 ... ?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, // @ ... O
    667, 778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556,  // P ... _
    333, 556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556,  // ` ... o
    556, 556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584,       // p ... ~
};

bool isWide(char16_t u)
{
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
           || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60)
           || (u >= 0xFFE0 && u <= 0xFFE6);
}

double advance(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 32 && u <= 126)
        return kAsciiAdvance[u - 32] / 1000.0;
    if (u == 0x00A0)
        return 0.278;
    if (isWide(u) || c.isHighSurrogate())
        return 1.0;
    if (c.isLowSurrogate() || c.category() == QChar::Mark_NonSpacing)
        return 0;
    return 0.556;
}

constexpr double kStackScale = 0.7;
constexpr double kLineSpacing = 5.0 / 3.0;

struct Piece {
    const Fragment* fragment = nullptr;
    QString text;       // a word, a run of spaces, or one wide character
    bool space = false;
    double width = 0;
    /// The width the CAD measures when it wraps: a full-width character
    /// takes one text height in the big fonts CJK drawings use, less than
    /// the em the picture's font draws it in.
    double wrapWidth = 0;
};

struct Line {
    std::vector<Piece> pieces;
    double width = 0;   // without trailing spaces
    double height = 0;  // tallest capital height
};

double pieceWidth(const QString& s, const FragmentStyle& style)
{
    return textWidth(s, style.height) * style.widthFactor * style.tracking;
}

double stackPartHeight(const FragmentStyle& style) { return style.height * kStackScale; }

double stackWidth(const Fragment& f)
{
    const double h = stackPartHeight(f.style);
    const double wu = textWidth(f.text, h) * f.style.widthFactor, wl = textWidth(f.lower, h) * f.style.widthFactor;
    if (f.stackKind == u'#')
        return wu + wl + f.style.height * 0.3;
    return std::max(wu, wl) + f.style.height * 0.1;
}

/// Words, runs of spaces and single wide characters: the places a line may break.
void splitPieces(const Fragment& f, std::vector<Piece>& out)
{
    if (f.kind == Fragment::Kind::Stack) {
        const double w = stackWidth(f);
        out.push_back({&f, {}, false, w, w});
        return;
    }
    QString current;
    bool currentSpace = false;
    auto push = [&] {
        if (!current.isEmpty()) {
            const double w = pieceWidth(current, f.style);
            const bool wide = current.size() == 1 && isWide(current[0].unicode());
            out.push_back({&f, current, currentSpace, w, wide ? w / kEmPerCapHeight : w});
        }
        current.clear();
    };
    for (QChar c : f.text) {
        const bool space = c == u' ' || c == u'\t';
        if (isWide(c.unicode())) {
            push();
            current = c;
            currentSpace = false;
            push();
            continue;
        }
        if (!current.isEmpty() && space != currentSpace)
            push();
        currentSpace = space;
        current += space ? QChar(u' ') : c;
    }
    push();
}

void finishLine(Line& line, std::vector<Line>& lines, double fallbackHeight)
{
    while (!line.pieces.empty() && line.pieces.back().space)
        line.pieces.pop_back();
    line.width = 0;
    line.height = 0;
    for (const Piece& p : line.pieces) {
        line.width += p.width;
        line.height = std::max(line.height, p.fragment->style.height);
    }
    if (line.height <= 0)
        line.height = fallbackHeight;
    lines.push_back(std::move(line));
    line = {};
}

void decorate(MTextLayout& out, const PlacedRun& run, double width)
{
    const double h = run.style.height;
    const double y = run.baseline.y(), x0 = run.baseline.x(), x1 = x0 + width;
    if (run.style.underline)
        out.lines.push_back({{x0, y - 0.2 * h}, {x1, y - 0.2 * h}, run.style});
    if (run.style.overline)
        out.lines.push_back({{x0, y + 1.25 * h}, {x1, y + 1.25 * h}, run.style});
    if (run.style.strike)
        out.lines.push_back({{x0, y + 0.5 * h}, {x1, y + 0.5 * h}, run.style});
}

void placeStack(MTextLayout& out, const Fragment& f, double x, double baseline)
{
    const double h = f.style.height, part = stackPartHeight(f.style);
    FragmentStyle small = f.style;
    small.height = part;
    small.underline = small.overline = small.strike = false;
    const double wu = textWidth(f.text, part) * f.style.widthFactor;
    const double wl = textWidth(f.lower, part) * f.style.widthFactor;
    const double upperBase = baseline + 0.5 * h + 0.15 * h;  // above the bar with a small gap
    const double lowerBase = baseline + 0.5 * h - 0.15 * h - part;
    if (f.stackKind == u'#') {
        // Diagonal fraction: upper part left and high, lower part right and low.
        const double slash = 0.3 * h;
        out.runs.push_back({{x, upperBase}, f.text, small});
        out.runs.push_back({{x + wu + slash, lowerBase}, f.lower, small});
        out.lines.push_back({{x + wu, lowerBase}, {x + wu + slash, upperBase + part}, small});
        return;
    }
    const double w = std::max(wu, wl);
    const double pad = 0.05 * h;
    if (f.stackKind == u'^') {
        // Tolerance: both parts left aligned, no bar.
        out.runs.push_back({{x + pad, upperBase}, f.text, small});
        out.runs.push_back({{x + pad, lowerBase}, f.lower, small});
        return;
    }
    out.runs.push_back({{x + pad + (w - wu) / 2, upperBase}, f.text, small});
    out.runs.push_back({{x + pad + (w - wl) / 2, lowerBase}, f.lower, small});
    out.lines.push_back({{x + pad, baseline + 0.5 * h}, {x + pad + w, baseline + 0.5 * h}, small});
}

} // namespace

double textWidth(const QString& text, double height)
{
    double ems = 0;
    for (QChar c : text)
        ems += advance(c);
    return ems * kEmPerCapHeight * height;
}

MTextLayout layoutMText(const std::vector<Paragraph>& paragraphs, double height, double referenceWidth,
                        double lineSpacing, int attachment)
{
    const double baseHeight = height > 0 ? height : 1;
    const double spacing = lineSpacing > 0 ? std::min(lineSpacing, 4.0) : 1.0;
    const bool wrap = referenceWidth > 0 && std::isfinite(referenceWidth);

    struct LaidLine {
        Line line;
        Paragraph::Align align;
    };
    std::vector<LaidLine> laid;
    for (const Paragraph& paragraph : paragraphs) {
        std::vector<Piece> pieces;
        for (const Fragment& f : paragraph.fragments)
            splitPieces(f, pieces);
        std::vector<Line> lines;
        Line line;
        double width = 0;
        const double fallback = paragraph.fragments.empty() ? baseHeight : paragraph.fragments.front().style.height;
        for (Piece& piece : pieces) {
            if (piece.space && line.pieces.empty() && !lines.empty())
                continue; // a wrapped line does not start with the space it broke at
            if (wrap && !piece.space && !line.pieces.empty() && width + piece.wrapWidth > referenceWidth * (1 + 1e-9)) {
                finishLine(line, lines, fallback);
                width = 0;
            }
            width += piece.wrapWidth;
            line.pieces.push_back(std::move(piece));
        }
        finishLine(line, lines, fallback);
        for (Line& l : lines)
            laid.push_back({std::move(l), paragraph.align});
    }

    MTextLayout out;
    double widest = 0;
    for (const LaidLine& l : laid)
        widest = std::max(widest, l.line.width);
    const double boxWidth = wrap ? referenceWidth : widest;
    const int a = std::clamp(attachment, 1, 9);
    const int column = (a - 1) % 3, row = (a - 1) / 3;

    // Baselines from the top of the block down.
    std::vector<double> baselines;
    double y = 0;
    for (std::size_t i = 0; i < laid.size(); ++i) {
        const double h = laid[i].line.height;
        y -= i == 0 ? h : kLineSpacing * spacing * h;
        baselines.push_back(y);
    }
    const double blockHeight = -y;
    const double top = row == 0 ? 0 : row == 1 ? blockHeight / 2 : blockHeight;
    const double left = -boxWidth * column / 2;

    for (std::size_t i = 0; i < laid.size(); ++i) {
        const Line& line = laid[i].line;
        double f = column / 2.0;
        switch (laid[i].align) {
        case Paragraph::Align::Left: case Paragraph::Align::Justified: case Paragraph::Align::Distributed: f = 0; break;
        case Paragraph::Align::Centre: f = 0.5; break;
        case Paragraph::Align::Right: f = 1; break;
        case Paragraph::Align::Default: break;
        }
        double x = left + (boxWidth - line.width) * f;
        const double baseline = baselines[i] + top;
        // Pieces of one look side by side become one run.
        PlacedRun run;
        double runWidth = 0;
        auto flush = [&] {
            if (!run.text.isEmpty()) {
                decorate(out, run, runWidth);
                out.runs.push_back(std::move(run));
            }
            run = {};
            runWidth = 0;
        };
        for (const Piece& p : line.pieces) {
            if (p.fragment->kind == Fragment::Kind::Stack) {
                flush();
                placeStack(out, *p.fragment, x, baseline);
            } else {
                if (!run.text.isEmpty() && !(run.style == p.fragment->style))
                    flush();
                if (run.text.isEmpty()) {
                    run.baseline = {x, baseline};
                    run.style = p.fragment->style;
                }
                run.text += p.text;
                runWidth += p.width;
            }
            x += p.width;
        }
        flush();
    }
    out.left = left;
    out.top = top;
    out.width = boxWidth;
    out.height = blockHeight;
    return out;
}

} // namespace cad::text
