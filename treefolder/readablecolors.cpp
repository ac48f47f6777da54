#include "treefolder/readablecolors.h"

#include <algorithm>
#include <cmath>

namespace {

double channel(double value)
{
    return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &color)
{
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

} // namespace

double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor &background, const QColor &wanted)
{
    if (wanted.isValid() && contrastRatio(background, wanted) >= ReadableContrast)
        return wanted;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrastRatio(background, black) >= contrastRatio(background, white) ? black : white;
}

QPalette readablePalette(QPalette palette, const QColor &background)
{
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::AlternateBase, background);
        const QColor text = readableOn(background, palette.color(group, QPalette::Text));
        palette.setColor(group, QPalette::Text, text);
        for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Link,
                                QPalette::LinkVisited, QPalette::PlaceholderText})
            palette.setColor(group, role, readableOn(background, palette.color(group, role)));
        // Lines and the boxes of the plus and minus signs and check boxes.
        palette.setColor(group, QPalette::Dark,
                         readableOn(background, palette.color(group, QPalette::Dark)));
        const QColor highlight = palette.color(group, QPalette::Highlight);
        palette.setColor(group, QPalette::HighlightedText,
                         readableOn(highlight, palette.color(group, QPalette::HighlightedText)));
    }
    return palette;
}
