#pragma once

#include "app/trashrefusal.h"

#include <QByteArray>
#include <QString>

// Moving one folder to the desktop's Trash and back. Both block on the file system, so the
// window runs them off its thread (trashjob.h). Nothing is ever deleted: a move that the
// Trash cannot take leaves the folder where it was.

// Where a folder went.
struct TrashMove {
    bool moved = false;
    QString error;       // why nothing was moved, when nothing was
    QByteArray original; // where it was
    QByteArray inTrash;  // where it is now: <trash>/files/<name>
    QByteArray info;     // its <trash>/info/<name>.trashinfo
};

// Moves folder to the freedesktop Trash (the home trash, or the volume's own .Trash-UID)
// through QFile::moveToTrash, if it is still the folder identified when it was offered. A
// volume without a usable trash (read-only, or whose trash is on another volume) moves
// nothing and says so.
TrashMove moveFolderToTrash(const QByteArray &folder, const FolderIdentity &identity);

struct TrashRestore {
    bool restored = false;
    QString error; // why it stays in the Trash
};

// Puts a moved folder back under its own name, unless that name has been taken since or its
// folder is gone: then it stays in the Trash, untouched, and the reason is given.
TrashRestore restoreFromTrash(const TrashMove &move);
