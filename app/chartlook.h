#pragma once

#include <QColor>
#include <QPalette>

class QChart;
class QPieSeries;
class QPieSlice;

// How the pie looks: neighbouring slices in clearly different colours, the legend on the
// right, and the chart drawn in the colours of the window's palette, dark themes included.

// Colour of slice `index` (0-based); the qualitative palette repeats after its last colour.
QColor SliceColor(int index);
int SliceColorCount();

void setupChartLook(QChart *chart);
void styleSlice(QPieSlice *slice, int index, const QPalette &palette);
// Background, title, legend text and slice borders from the palette.
void applyChartPalette(QChart *chart, QPieSeries *series, const QPalette &palette);
