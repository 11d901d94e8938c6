#pragma once

#include <QFont>
#include <QString>

class QAbstractButton;

namespace app {

/// The controls keep the sizes of their design in twips; a text the
/// platform's fonts make wider than its control is fitted to it instead of
/// being cut off.

/// `base` itself when `text` fits `width` pixels; otherwise `base` narrowed
/// (down to 70 % of its width) and then made smaller (down to 6 pixels)
/// until it fits.
QFont fontFitting(const QFont& base, const QString& text, int width);

/// Gives a check box or option button a font in which its caption fits the
/// room beside its indicator.
void fitCaptionFont(QAbstractButton& button);

} // namespace app
