#pragma once

#include "chart/chartcomparison.h"

#include <QByteArray>
#include <QString>
#include <optional>

class ScanTree;

// What a scan file holds for folder (the top folder it scanned, or one below it) as the chart
// compares with it: each subfolder's total file lengths (space on disk with `allocated`), dated by
// the scan's own time (the file's modification time, fileTime, when the scan does not say). None
// when the scan does not hold folder.
std::optional<ChartComparison> comparisonOfScan(const ScanTree &tree, const QByteArray &folder,
                                                const QDateTime &fileTime, bool allocated = false);

// Reads file off no particular thread (it may take a while) and makes its comparison for
// folder (disk usage with `allocated`); problem says why there is none.
std::optional<ChartComparison> readScanComparison(const QString &file, const QByteArray &folder,
                                                  QString &problem, bool allocated = false);
