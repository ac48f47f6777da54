#pragma once

#include <QString>

// Writes `text` to the file at `path`, creating it or cutting an existing one to zero
// length, encoded in the locale's character set (UTF-8 on a usual Linux desktop). Nothing
// is added to the text. A path that is a symbolic link writes its target, as any editor
// would. Raises RuntimeError with the file error's number and a description naming the
// path and the reason; an empty path raises 75.
void WriteTextFile(const QString &text, const QString &path);
