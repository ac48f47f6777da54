#pragma once

#include <QList>
#include <QString>
#include <memory>

struct CommandLine;
struct OutputTarget;
class ScanChartSource;

// Charts folder (absolute, as absoluteFolder gives it) without a window, with the listing,
// scanner and chart model the window uses, and writes each of targets (checked already) as
// the window's export of the same chart would. Folders that could not be read are named on
// standard error. Needs the application object; works on the offscreen platform. Returns the
// exit status: 0 when every output was written and every folder read, 1 otherwise (each
// failure told on standard error).
// With `scan`, the chart is drawn from that scan file instead, and nothing on the disk is
// looked at: what lies directly in the folder and the folders that could not be read are the
// scan's.
int runHeadlessExport(const CommandLine &line, const QString &folder,
                      const QList<OutputTarget> &targets,
                      std::shared_ptr<ScanChartSource> scan = nullptr);
