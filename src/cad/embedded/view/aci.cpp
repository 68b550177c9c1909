#include "cad/embedded/view/aci.h"

#include <array>

namespace lumo::view {

namespace {

// 10..249 are 24 hues, 15 degrees apart, each in five shades at full and at
// half saturation; 250..255 are greys.
QRgb hsvColour(double hue, double saturation, double value)
{
    const double c = value * saturation;
    const double h = hue / 60.0;
    const double hm = h - 2.0 * int(h / 2.0);
    const double x = c * (1.0 - (hm - 1.0 < 0 ? 1.0 - hm : hm - 1.0));
    const double m = value - c;
    double r = 0, g = 0, b = 0;
    switch (int(h)) {
    case 0:
        r = c;
        g = x;
        break;
    case 1:
        r = x;
        g = c;
        break;
    case 2:
        g = c;
        b = x;
        break;
    case 3:
        g = x;
        b = c;
        break;
    case 4:
        r = x;
        b = c;
        break;
    default:
        r = c;
        b = x;
        break;
    }
    return qRgb(int(r + m), int(g + m), int(b + m));
}

std::array<QRgb, 256> makeTable()
{
    std::array<QRgb, 256> t{};
    t[0] = qRgb(255, 255, 255);
    t[1] = qRgb(255, 0, 0);
    t[2] = qRgb(255, 255, 0);
    t[3] = qRgb(0, 255, 0);
    t[4] = qRgb(0, 255, 255);
    t[5] = qRgb(0, 0, 255);
    t[6] = qRgb(255, 0, 255);
    t[7] = qRgb(255, 255, 255);
    t[8] = qRgb(128, 128, 128);
    t[9] = qRgb(192, 192, 192);
    constexpr double values[] = {255.0, 165.0, 127.0, 76.0, 38.0};
    for (int i = 10; i < 250; ++i) {
        const double hue = 15.0 * ((i - 10) / 10);
        const int shade = ((i - 10) % 10) / 2;
        const bool half = (i % 2) == 1;
        t[std::size_t(i)] = hsvColour(hue, half ? 0.5 : 1.0, values[shade]);
    }
    constexpr int greys[] = {51, 91, 132, 173, 214, 255};
    for (int i = 0; i < 6; ++i)
        t[std::size_t(250 + i)] = qRgb(greys[i], greys[i], greys[i]);
    return t;
}

} // namespace

QRgb aciColour(int index)
{
    static const std::array<QRgb, 256> table = makeTable();
    if (index < 1 || index > 255)
        return table[7];
    return table[std::size_t(index)];
}

QRgb screenColour(int index)
{
    const QRgb colour = aciColour(index);
    // Perceived brightness 0..255. Pure red still reads well (76); blue (29)
    // and the dark shades do not: they are mixed with white up to the floor.
    constexpr double kDark = 60.0;
    constexpr double kFloor = 110.0;
    const double brightness = 0.299 * qRed(colour) + 0.587 * qGreen(colour) + 0.114 * qBlue(colour);
    if (brightness >= kDark)
        return colour;
    const double mix = (kFloor - brightness) / (255.0 - brightness);
    auto lighten = [mix](int channel) { return int(channel + (255 - channel) * mix + 0.5); };
    return qRgb(lighten(qRed(colour)), lighten(qGreen(colour)), lighten(qBlue(colour)));
}

} // namespace lumo::view
