#include "chart/chartlook.h"

#include <array>
#include <cmath>

namespace {

// Tableau 10: colours that stay distinct next to each other on light and dark backgrounds.
constexpr std::array<QRgb, 10> CalmColors = {0x4e79a7, 0xf28e2b, 0xe15759, 0x76b7b2, 0x59a14f,
                                             0xedc948, 0xb07aa1, 0xff9da7, 0x9c755f, 0xbab0ac};

constexpr double GoldenAngle = 137.50776405;

// Beyond the calm palette: hues a golden angle apart, in three tones that stay soft.
QColor madeColor(int k, double hueShift)
{
    constexpr std::array<double, 3> Saturations = {0.55, 0.42, 0.68};
    constexpr std::array<double, 3> Values = {0.82, 0.68, 0.92};
    const double hue = std::fmod(k * GoldenAngle + 17.0 + hueShift, 360.0);
    return QColor::fromHsvF(float(hue / 360.0), float(Saturations[std::size_t(k % 3)]),
                            float(Values[std::size_t((k / 3) % 3)]));
}

QColor openColor(int index)
{
    if (index < int(CalmColors.size()))
        return QColor::fromRgb(CalmColors[std::size_t(index)]);
    return madeColor(index - int(CalmColors.size()), 0.0);
}

} // namespace

double ColorDistance(const QColor &a, const QColor &b)
{
    // The "redmean" approximation of how different two colours look.
    const double meanRed = (a.red() + b.red()) / 2.0;
    const double r = a.red() - b.red();
    const double g = a.green() - b.green();
    const double bl = a.blue() - b.blue();
    return std::sqrt((2.0 + meanRed / 256.0) * r * r + 4.0 * g * g +
                     (2.0 + (255.0 - meanRed) / 256.0) * bl * bl);
}

QColor SliceColor(int index, int count)
{
    if (index < 0)
        return openColor(0);
    const QColor colour = openColor(index);
    if (index != count - 1 || index < int(CalmColors.size()))
        return colour;
    // The last slice also touches the first one; turn it away when the two look alike.
    const QColor first = openColor(0);
    const QColor before = openColor(index - 1);
    if (ColorDistance(colour, first) >= MinNeighbourDistance)
        return colour;
    for (const double shift : {180.0, 90.0, 270.0}) {
        const QColor turned = madeColor(index - int(CalmColors.size()), shift);
        if (ColorDistance(turned, first) >= MinNeighbourDistance &&
            ColorDistance(turned, before) >= MinNeighbourDistance)
            return turned;
    }
    return QColor(Qt::darkGray);
}
