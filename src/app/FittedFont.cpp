#include "FittedFont.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>

namespace app {
namespace {
constexpr int kNarrowestStretch = 70;
constexpr int kSmallestPixels = 6;
constexpr int kStretchStep = 5;

bool fits(const QFont& font, const QString& text, int width)
{
    return QFontMetrics(font).horizontalAdvance(text) <= width;
}
} // namespace

QFont fontFitting(const QFont& base, const QString& text, int width)
{
    if (fits(base, text, width))
        return base;
    QFont font = base;
    const int start = base.stretch() > 0 ? base.stretch() : 100;
    for (int stretch = start - kStretchStep; stretch >= kNarrowestStretch; stretch -= kStretchStep) {
        font.setStretch(stretch);
        if (fits(font, text, width))
            return font;
    }
    for (int pixels = QFontInfo(base).pixelSize() - 1; pixels >= kSmallestPixels; --pixels) {
        font.setPixelSize(pixels);
        if (fits(font, text, width))
            return font;
    }
    return font;
}

void fitCaptionFont(QAbstractButton& button)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const bool check = qobject_cast<QCheckBox*>(&button) != nullptr;
    const QRect room = button.style()->subElementRect(check ? QStyle::SE_CheckBoxContents
                                                            : QStyle::SE_RadioButtonContents,
                                                      &option, &button);
    button.setFont(fontFitting(button.font(), button.text(), room.width()));
}

} // namespace app
