#pragma once

#include <QByteArray>
#include <QString>

// Writes `text` to the file at `path`, creating it or replacing an existing one, encoded in
// the locale's character set (UTF-8 on a usual Linux desktop). Nothing is added to the text.
// The file is replaced only once the new text is safely written (see safeSave), so after a
// failure an existing file keeps its old text and its permission bits. A path that is a
// symbolic link writes its target, as any editor would. Raises RuntimeError with the file
// error's number and a description naming the path and the reason; an empty path, or a
// folder, FIFO or device at the path, raises 75.
void WriteTextFile(const QString &text, const QString &path);

// The bytes WriteTextFile writes for `text`: the text in the locale's character set.
QByteArray textFileBytes(const QString &text);
