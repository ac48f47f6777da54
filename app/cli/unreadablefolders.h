#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Bytes of the regular files lying directly in folder (not in its subfolders), their
// apparent lengths as the scanner counts them, or with `allocated` the space every entry but
// the subfolders occupies on disk (a file with several names there once); 0 when it cannot be
// read.
qint64 filesDirectlyIn(const QByteArray &folder, bool allocated = false);

// A folder below a scanned one that could not be opened or read, and why.
struct UnreadableFolder {
    QByteArray path;
    int error = 0;
};

// Walks folder (folders only, no file is looked at) and returns the first `limit` folders at
// or below it that cannot be opened or read, in the order met, as the scanner meets them:
// symbolic links are not followed and kernel pseudo filesystems not entered. For naming what
// a scan counted as unreadable; the count itself is the scan's.
QList<UnreadableFolder> findUnreadableFolders(const QByteArray &folder, int limit);

// Tells each folder on standard error ("quorvane: cannot read PATH: reason"), at most
// `shown` of them, then how many more of `total` could not be read.
void tellUnreadable(const QList<UnreadableFolder> &folders, quint64 total, int shown);
