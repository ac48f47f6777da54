#pragma once

#include "export/safesave.h"
#include "platform/runtimeerror.h"

#include <QByteArray>
#include <QString>

// The runtime error for a failed system call on `path`: the classic number for that kind of
// failure (76 path not found, 70 permission denied, 61 disk full, ...) and a description
// such as "Path not found: /a/b.txt (No such file or directory)".
RuntimeError fileError(int errnoValue, const QString &path);

// The runtime error for a failed safe save of `path`: its fileError, or 75 saying that the
// name is a folder, FIFO or device rather than a file.
RuntimeError saveError(const SaveResult &result, const QString &path);
