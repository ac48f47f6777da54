#pragma once

#include "posix/pathtext.h" // AddBackslash

#include <QString>

// The last component of a path (the text after its last separator).
QString lastPathComponent(const QString &path);

// The last component without its extension (from the last dot on). A name that starts with
// its only dot (".config") is all name and keeps it.
QString baseName(const QString &path);
