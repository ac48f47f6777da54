#pragma once

#include <QCursor>
#include <QString>

// Reads a Windows cursor file (.cur) as a cursor, with the hot spot the file names.
// Throws RuntimeError 481 "Invalid picture" when the file cannot be read as one.
QCursor LoadCursorFile(const QString &path);
