#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <optional>
#include <sys/types.h>

// Which folders Move to Trash refuses, and why. The rules are plain data in, reason out, so
// that every refusal is tried without a window or a special file system.

// A folder's identity when its menu was opened: a folder put in its place since is not the
// one the user chose.
struct FolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FolderIdentity &, const FolderIdentity &) = default;
};

// What the file system says of a folder offered for the Trash.
struct TrashFolderFacts {
    bool answered = true; // its volume answered in time
    bool exists = true;   // a folder (not a link to one) by that name
    FolderIdentity identity;
    bool mountPoint = false;       // a volume is mounted on it
    bool parentWritable = true;    // the user may remove names from its parent folder
    bool stickyOtherOwner = false; // its parent is sticky and neither is the user's
};

// What the window knows of the folder and of what it shows.
struct TrashRequest {
    QByteArray folder;       // the folder's bytes, without a trailing separator
    QByteArray home;         // the user's home folder
    QByteArray charted;      // the folder the chart shows; empty for none
    QByteArray selected;     // the folder selected in the tree; empty for none
    bool measuring = false;  // its size, or the chart that holds it, is still being measured
    bool openedScan = false; // the chart shows an opened scan, not the disk
    bool moving = false;     // a folder is on its way to or from the Trash: one at a time
};

// Empty when the folder may go to the Trash; otherwise the short reason the menu shows.
QString trashRefusal(const TrashRequest &request, const TrashFolderFacts &facts);

// Whether folder is ancestor itself or lies below it, by whole names.
bool folderWithin(const QByteArray &folder, const QByteArray &ancestor);

// Reads the facts of folder from the file system. mountPoints are those of the mount table
// (a bind mount keeps its device number, so the table is asked too). May wait on a volume that
// does not answer: the window asks through a bound.
TrashFolderFacts readTrashFolderFacts(const QByteArray &folder,
                                      const QSet<QByteArray> &mountPoints);
