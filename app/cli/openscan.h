#pragma once

#include <QString>
#include <memory>

struct CommandLine;
class ScanChartSource;

// --open-scan FILE [FOLDER]: reads the scan file ("-": standard input) and finds the folder
// to chart in it: its top folder, or FOLDER as a path inside the scan, relative to the top
// folder or the full path that was scanned. Nothing on the disk but FILE is looked at.
// Null, with `problem` set, when the file cannot be read or holds no such folder; otherwise
// `folder` is the folder's path as the chart names it.
std::shared_ptr<ScanChartSource> openScanFile(const CommandLine &line, QString &folder,
                                              QString &problem);
