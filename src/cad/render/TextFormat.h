#pragma once

#include <QString>
#include <QStringList>

namespace cad::render {

/// The em size at which `text` is no wider than `maximumWidth` (same units),
/// `em` itself when it already fits or no width is asked for. Widths are
/// estimated without a font (a picture is played with whatever fonts the
/// reader has): full-width characters one em, others a little over half.
double emFittingWidth(const QString& text, double em, double maximumWidth);

/// TEXT contents as shown: the control codes %%c, %%d, %%p become Ø, °, ±,
/// %%% a percent sign, and the underline/overline toggles %%u, %%o vanish.
QString plainTextOf(const QString& text);

/// MTEXT contents as shown, one string a line: paragraph breaks (\P) and
/// line feeds split lines; font, height, colour, width and other inline
/// format groups ({\f...;}, \H..;, \C..;, \S..;, ...) are removed, stacked
/// fractions become "a/b", escaped \\ \{ \} become the characters.
QStringList mtextLines(const QString& text);

} // namespace cad::render
