#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The optional files the window reads at start-up (skin, cursor) are small; anything larger
// than this is not one of them.
inline constexpr qint64 MaxStartUpFileBytes = 1024 * 1024;

// The whole contents of the regular file at `path`, or nothing when there is no such file,
// it cannot be read, or it holds more than `maxBytes`. A FIFO, device, socket or folder at
// the name is never read, and opening it never blocks.
std::optional<QByteArray> readRegularFile(const QString &path,
                                          qint64 maxBytes = MaxStartUpFileBytes);
