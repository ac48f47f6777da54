#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reads a zip container (a workbook) with the unzip program.

// The names of its entries; {"<not a zip>"} when unzip cannot read it.
QStringList zipEntries(const QString &zip);

// The bytes of one entry; empty when it is missing.
QByteArray zipEntry(const QString &zip, const QString &entry);
