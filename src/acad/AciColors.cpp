#include "AciColors.h"

#include <array>

namespace acad {
namespace {

// Opaque 0xAARRGGBB, the bits of a QRgb (the contract uses no GUI types).
constexpr quint32 qRgb(int r, int g, int b)
{
    return 0xFF000000u | (quint32(r & 0xFF) << 16) | (quint32(g & 0xFF) << 8) | quint32(b & 0xFF);
}

} // namespace


quint32 ColorIndexToRgb(qint32 index)
{
    static constexpr std::array<quint32, 10> kNamed = {
        0,          qRgb(255, 0, 0),   qRgb(255, 255, 0),   qRgb(0, 255, 0),     qRgb(0, 255, 255),
        qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(255, 255, 255), qRgb(128, 128, 128), qRgb(192, 192, 192)};
    static constexpr std::array<int, 6> kGreys = {51, 91, 132, 173, 214, 255};
    static constexpr std::array<int, 5> kBrightness = {255, 204, 153, 127, 76};

    if (index >= 1 && index <= 9)
        return kNamed[size_t(index)];
    if (index >= 250 && index <= 255) {
        const int g = kGreys[size_t(index - 250)];
        return qRgb(g, g, g);
    }
    if (index < 10 || index > 249)
        return qRgb(0, 0, 0);

    // The wheel: 24 hue groups of 15 degrees, each with five brightnesses in a
    // full (even digit) and a pale (odd digit) shade.
    const int hue = index / 10 - 1;
    const int shade = index % 10;
    const int v = kBrightness[size_t(shade / 2)];
    const int low = (shade % 2 == 0) ? 0 : v / 2;
    const int sector = hue / 4;
    const double step = (hue % 4) / 4.0;
    const int rising = low + int((v - low) * step);          // truncation toward zero
    const int falling = low + int((v - low) * (1.0 - step));
    switch (sector) {
    case 0: return qRgb(v, rising, low);
    case 1: return qRgb(falling, v, low);
    case 2: return qRgb(low, v, rising);
    case 3: return qRgb(low, falling, v);
    case 4: return qRgb(rising, low, v);
    default: return qRgb(v, low, falling);
    }
}

} // namespace acad
