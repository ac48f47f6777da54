#pragma once

#include <QCursor>
#include <QString>

// Reads a Windows cursor file (.cur) as a cursor, with the hot spot the file names.
// Throws RuntimeError 481 "Invalid picture" when the file cannot be read as one, and for a
// name that is no regular file or is larger than any cursor (see readRegularFile), which is
// never waited on.
QCursor LoadCursorFile(const QString &path);
