#pragma once

// The inline format codes of MTEXT contents, read into paragraphs of
// fragments that each have one look. Pure logic: no fonts, no drawing.
//
//   \P paragraph            \~ non-breaking space    \\ \{ \} literal characters
//   \H2.5; \H2x; height     \W0.8; width factor      \Q15; oblique angle
//   \T1.2; tracking         \C1; \c255; colour       \f Arial|b1|i0; font
//   \L \l underline         \O \o overline           \K \k strike-through
//   \S1/2; \S1#2; \S+0^-1; stacked (fraction, diagonal fraction, tolerance)
//   \pxqc; paragraph alignment   \A1; vertical alignment (ignored)
//   \U+XXXX character       {  } a group whose changes end with it
// The %% codes of TEXT (%%c, %%d, %%p, %%%, %%nnn) work inside MTEXT too.

#include <QString>

#include <cstdint>
#include <vector>

namespace cad::text {

struct FragmentStyle {
    double height = 1;      ///< capital height, drawing units
    double widthFactor = 1;
    double oblique = 0;     ///< degrees, clockwise from upright
    double tracking = 1;    ///< character spacing factor
    std::int16_t color = -1;    ///< ACI colour, -1 for the entity's
    std::int32_t trueColor = -1; ///< 0xRRGGBB, -1 for none
    bool underline = false;
    bool overline = false;
    bool strike = false;
    QString font;

    bool operator==(const FragmentStyle&) const = default;
};

struct Fragment {
    enum class Kind : std::uint8_t { Text, Stack };
    Kind kind = Kind::Text;
    /// Text: the characters shown; Stack: the upper part.
    QString text;
    /// Stack: the lower part.
    QString lower;
    /// Stack: '/' fraction with a horizontal bar, '#' with a diagonal bar,
    /// '^' tolerance (no bar).
    char16_t stackKind = u'/';
    FragmentStyle style;
};

struct Paragraph {
    enum class Align : std::uint8_t { Default, Left, Centre, Right, Justified, Distributed };
    Align align = Align::Default;
    std::vector<Fragment> fragments;
};

/// The paragraphs of MTEXT `contents` whose default height is `height`.
std::vector<Paragraph> parseMText(const QString& contents, double height);

/// A TEXT value with its %% codes resolved: the characters shown, and which
/// of them are underlined or overlined (%%u, %%o toggle).
struct DecodedText {
    QString text;
    std::vector<bool> underline;
    std::vector<bool> overline;
};
DecodedText decodeTextCodes(const QString& value);

} // namespace cad::text
