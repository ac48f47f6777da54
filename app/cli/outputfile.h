#pragma once

#include "app/cli/outputtarget.h"

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>

// Where the command line's outputs go. A Replace target is replaced only by a complete new
// file; a Stream target (standard output, a FIFO, a device) is written directly, every write
// checked. Each failure is told on standard error, naming the file and the reason; the
// functions then return false. A reader that closes its end gives EPIPE, never SIGPIPE,
// once main has set SIGPIPE aside.

// How long a FIFO with no reader is waited for before the output is given up, as tee would
// wait, but not for ever.
inline constexpr std::chrono::milliseconds FifoReaderWait{30000};

// Writes the bytes `make` gives to `target`; `make` may throw (the target is then untouched).
bool writeOutput(const OutputTarget &target, const std::function<QByteArray()> &make,
                 std::chrono::milliseconds readerWait = FifoReaderWait);

// For a writer that needs a file name: `write` fills the new file named by its argument and
// throws on failure. The file then replaces a Replace target or is copied to a Stream.
bool writeOutputThrough(const OutputTarget &target,
                        const std::function<void(const QByteArray &)> &write);

// Tells "quorvane: <message>" on standard error.
void tellError(const QString &message);
