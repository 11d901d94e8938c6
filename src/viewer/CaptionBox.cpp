#include "CaptionBox.h"

#include "app/Twips.h"

namespace viewer {

CaptionBox::CaptionBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    document()->setDocumentMargin(0);
    // Two lines must fit the strip (435 twips): the toolkit's small UI size.
    QFont small = font();
    small.setPixelSize(app::twipsToPixels(150));
    setFont(small);
}

void CaptionBox::setText(const QString& text)
{
    m_text = text;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setPlainText(shown);
}

} // namespace viewer
