#include "CaptionBox.h"

#include "app/Twips.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>

namespace viewer {
namespace {
constexpr int kSmallestPixels = 6;

/// The size the strip's text starts from (the toolkit's usual UI size); it
/// is made smaller only where two lines would not fit.
int legiblePixels() { return app::twipsToPixels(180); }

/// The lines' spacing for a font of `pixels`: one pixel apart at the least.
int lineSpacingFor(int pixels) { return pixels + std::max(1, pixels / 12); }
} // namespace

CaptionBox::CaptionBox(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::NoWrap);
    // A one-pixel frame leaves the text the room of the strip.
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    document()->setDocumentMargin(0);
    QFont legible = font();
    legible.setPixelSize(legiblePixels());
    setFont(legible);
}

void CaptionBox::setText(const QString& text)
{
    m_text = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setPlainText(shown);
    fitFontToHeight();
}

double CaptionBox::textHeight() const
{
    // Lines stand at their blocks' fixed spacing. The fallback font's line
    // boxes are taller and overlap, but its glyphs lie inside the spacing
    // (the baseline sits at four fifths of it).
    double height = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QRectF laidOut = document()->documentLayout()->blockBoundingRect(block);
        const double spacing = block.blockFormat().lineHeight();
        height += spacing > 0 ? block.layout()->lineCount() * spacing : laidOut.height();
    }
    return height;
}

void CaptionBox::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    fitFontToHeight();
}

void CaptionBox::setLineSpacing(int pixels)
{
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    QTextBlockFormat spacing;
    spacing.setLineHeight(pixels, QTextBlockFormat::FixedHeight);
    all.mergeBlockFormat(spacing);
}

void CaptionBox::fitFontToHeight()
{
    QFont fitted = font();
    for (int pixels = legiblePixels(); pixels >= kSmallestPixels; --pixels) {
        fitted.setPixelSize(pixels);
        setFont(fitted);
        document()->setDefaultFont(fitted);
        setLineSpacing(lineSpacingFor(pixels));
        if (textHeight() <= viewport()->height() && document()->idealWidth() <= viewport()->width())
            return;
    }
}

} // namespace viewer
