#pragma once

#include <QImage>
#include <QString>

// The temporary bitmap through which the picture exports pass the chart's picture.

// "$TEMP/Chart.bmp" when TEMP is set and not empty; otherwise Chart.bmp in the per-user
// runtime folder (XDG_RUNTIME_DIR, when it is an existing folder), otherwise in the
// temporary folder (TMPDIR or /tmp). An unset TEMP never puts it in the file system root.
QString tempBitmapPath();

// Writes `picture` as a Windows bitmap at `path`, replacing whatever entry has that name.
// An entry planted there (a symbolic or hard link to someone else's file) is replaced as a
// name and its target is never written. Raises RuntimeError 481 for an empty picture, or
// the file error of the failing system call (70 when the name belongs to another user in
// a shared sticky folder such as /tmp).
void saveTempBitmap(const QImage &picture, const QString &path);

// Reads the bitmap back. Raises RuntimeError 53 when it does not exist, 75 when the name
// is a link or not a regular file, 481 when it does not decode as a picture.
QImage loadTempBitmap(const QString &path);

// True when an entry of that name exists (a dangling link included, so that it is removed).
bool tempBitmapExists(const QString &path);
