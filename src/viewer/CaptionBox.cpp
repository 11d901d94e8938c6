#include "CaptionBox.h"

#include "app/Twips.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>

namespace viewer {
namespace {
constexpr int kSmallestPixels = 6;

/// Two lines must fit the strip (435 twips): the toolkit's small UI size.
int smallUiPixels() { return app::twipsToPixels(150); }
} // namespace

CaptionBox::CaptionBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    document()->setDocumentMargin(0);
    QFont small = font();
    small.setPixelSize(smallUiPixels());
    setFont(small);
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
    double height = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        height += document()->documentLayout()->blockBoundingRect(block).height();
    return height;
}

void CaptionBox::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    fitFontToHeight();
}

void CaptionBox::fitFontToHeight()
{
    // Japanese lines take the height of the fallback font that draws them,
    // so the laid-out text is measured, not the font's own line spacing.
    QFont fitted = font();
    for (int pixels = smallUiPixels(); pixels >= kSmallestPixels; --pixels) {
        fitted.setPixelSize(pixels);
        setFont(fitted);
        if (textHeight() <= viewport()->height())
            return;
    }
}

} // namespace viewer
