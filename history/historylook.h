#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

// One subfolder as a chart showed it.
struct HistoryEntry {
    QString name;    // as the chart named it
    QByteArray path; // the file system's bytes
    qint64 bytes = 0;
};

// What one completed chart showed: a look at a folder.
struct HistoryLook {
    qint64 id = 0;     // the store's number; 0 before it is recorded
    QByteArray folder; // the file system's bytes
    // The folder's identity when it was charted; 0 and 0 when it could not be asked.
    quint64 device = 0;
    quint64 inode = 0;
    qint64 takenMs = 0;     // milliseconds since the epoch, UTC
    bool allocated = false; // sizes as disk usage instead of file lengths
    qint64 total = 0;
    QList<HistoryEntry> entries;
};

// A look as a list of them shows it, without its subfolders.
struct HistoryLookTime {
    qint64 id = 0;
    qint64 takenMs = 0;
    qint64 total = 0;
};
