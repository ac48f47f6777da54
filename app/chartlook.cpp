#include "app/chartlook.h"

#include <QChart>
#include <QLegend>
#include <QPieSeries>
#include <array>

namespace {

// Tableau 10: a qualitative palette whose colours stay distinct next to each other and on
// both light and dark backgrounds.
constexpr std::array<QRgb, 10> SliceColors = {0x4e79a7, 0xf28e2b, 0xe15759, 0x76b7b2, 0x59a14f,
                                              0xedc948, 0xb07aa1, 0xff9da7, 0x9c755f, 0xbab0ac};

} // namespace

QColor SliceColor(int index)
{
    const int count = SliceColorCount();
    return QColor::fromRgb(SliceColors[std::size_t(((index % count) + count) % count)]);
}

int SliceColorCount()
{
    return int(SliceColors.size());
}

void setupChartLook(QChart *chart)
{
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    QFont titleFont = chart->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.3);
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);

    QLegend *legend = chart->legend();
    legend->setAlignment(Qt::AlignRight);
    legend->setShowToolTips(true); // a label cut for room shows whole under the pointer
    legend->setVisible(true);
}

void styleSlice(QPieSlice *slice, int index, const QPalette &palette)
{
    slice->setBrush(SliceColor(index));
    slice->setBorderColor(palette.color(QPalette::Base));
    slice->setBorderWidth(1);
    slice->setLabelVisible(false);
}

void applyChartPalette(QChart *chart, QPieSeries *series, const QPalette &palette)
{
    chart->setBackgroundBrush(palette.brush(QPalette::Base));
    chart->setBackgroundPen(Qt::NoPen);
    chart->setTitleBrush(palette.brush(QPalette::Text));
    chart->legend()->setLabelColor(palette.color(QPalette::Text));
    const auto slices = series->slices();
    for (int i = 0; i < slices.size(); ++i)
        styleSlice(slices.at(i), i, palette);
}
