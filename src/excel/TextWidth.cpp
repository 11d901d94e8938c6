#include "TextWidth.h"

#include <QMetaType>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace excel {
namespace {

// The default font (Calibri 11) has a maximum digit width of 7 pixels, and a
// column keeps 5 pixels of padding; the file stores widths in digit widths.
constexpr double kDigitPixels = 7.0;
constexpr double kPaddingPixels = 5.0;

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F)      // Hangul Jamo
        || (c >= 0x2E80 && c <= 0x303E)      // CJK radicals, punctuation
        || (c >= 0x3041 && c <= 0x33FF)      // kana, CJK symbols
        || (c >= 0x3400 && c <= 0x4DBF)      // CJK extension A
        || (c >= 0x4E00 && c <= 0x9FFF)      // CJK unified ideographs
        || (c >= 0xA000 && c <= 0xA4CF)      // Yi
        || (c >= 0xAC00 && c <= 0xD7A3)      // Hangul syllables
        || (c >= 0xF900 && c <= 0xFAFF)      // CJK compatibility ideographs
        || (c >= 0xFE30 && c <= 0xFE4F)      // CJK compatibility forms
        || (c >= 0xFF00 && c <= 0xFF60)      // fullwidth forms
        || (c >= 0xFFE0 && c <= 0xFFE6)      // fullwidth signs
        || (c >= 0x1F300 && c <= 0x1F64F)    // pictographs
        || (c >= 0x20000 && c <= 0x3FFFD);   // CJK extensions B and beyond
}

} // namespace

int textWidthUnits(const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(u'\n')) {
        int units = 0;
        for (char32_t c : line.toUcs4())
            units += isWide(c) ? 2 : 1;
        widest = std::max(widest, units);
    }
    return widest;
}

QString displayText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    default:
        return value.toString();
    }
}

double columnWidthForUnits(int units)
{
    if (units <= 0)
        return kDefaultColumnWidth;
    const double pixels = units * kDigitPixels + kPaddingPixels;
    // Stored in 1/256 of a digit width, as the spreadsheet rounds it.
    return std::trunc(pixels / kDigitPixels * 256.0) / 256.0;
}

int columnWidthPixels(double width)
{
    return int(std::trunc(((256.0 * width + std::trunc(128.0 / kDigitPixels)) / 256.0) * kDigitPixels));
}

} // namespace excel
