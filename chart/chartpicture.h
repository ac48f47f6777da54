#pragma once

#include <QFont>
#include <QImage>
#include <QPalette>
#include <QSize>

class ChartModel;

// The chart's title, in the window's language ("Folder Sizes" in English).
QString FolderSizesTitle();

// The size of the main window's chart.
constexpr QSize ChartPictureMinimumSize(634, 448);
// No side of the picture grows beyond this.
constexpr int ChartPictureMaximumSide = 4096;

// The chart as the exports show it: the title, the pie, and a legend naming every slice in
// columns of rows beside it, in the colours of palette. The picture is minimumSize at least
// and grows (up to ChartPictureMaximumSide a side) until the legend holds every label; when
// even that is too small, the legend's last row says how many more slices there are.
// Needs a QGuiApplication, but no window. Throws std::bad_alloc when there is no memory for
// the picture.
QImage ChartPicture(const ChartModel &model, const QString &title,
                    const QPalette &palette = QPalette(),
                    QSize minimumSize = ChartPictureMinimumSize);

// The title's font: the base font, larger and bold.
QFont ChartTitleFont(const QFont &base);
