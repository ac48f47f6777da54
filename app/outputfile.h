#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// Where the command line's outputs go: a FILE replaced only by a complete new one, or
// standard output for "-". Each failure is told on standard error, naming the file and the
// reason; the functions then return false.

// Writes the bytes `make` gives to `file`; `make` may throw (the file is then untouched).
bool writeOutput(const QString &file, const std::function<QByteArray()> &make);

// For a writer that needs a file name: `write` fills the new file named by its argument and
// throws on failure; the file then replaces `file`.
bool writeOutputThrough(const QString &file, const std::function<void(const QByteArray &)> &write);

// Tells "quorvane: <message>" on standard error.
void tellError(const QString &message);
