#pragma once

#include <QString>

// Removes the directory entry at `path` (a link itself, never its target); any failure,
// including a missing file, is ignored.
void DeleteFileQuiet(const QString &path);
