#pragma once

#include "chart/chartcomparison.h"

#include <QString>
#include <optional>

struct CommandLine;
class ChartModel;

// What --compare OLD names for folder (the charted folder, as the chart model holds it): the
// subfolders of a scan file, or the newest look of the folder in the window's history, in the
// size mode of the outputs. None, with problem saying why, when there is none. Makes no
// history where there is none.
std::optional<ChartComparison> commandLineComparison(const CommandLine &line, const QString &folder,
                                                     QString &problem);

// The lines standard error gets about a comparison: the total's change, then the largest
// growth, five subfolders at most, in English and the C locale's dates:
//   since 5 Dec 2026: 155.45 MB, +3.13 MB
//     +28.61 MB  Music
//     +14.31 MB  New (new)
QString growthSummary(const ChartModel &model);
