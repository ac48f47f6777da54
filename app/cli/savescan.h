#pragma once

#include <QString>

struct CommandLine;

// --save-scan FILE FOLDER: walks `folder` (absolute, checked) and writes its scan file, whole
// or not at all, or straight to standard output. Returns the exit status: 0 when written,
// 1 when the walk or the write failed (told on standard error), 2 for a FILE that cannot be
// written at all.
int runSaveScan(const CommandLine &line, const QString &folder);
