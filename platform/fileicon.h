#pragma once

#include <QPixmap>
#include <QString>

// The picture the desktop shows for a file, a folder or a drive, at size x size pixels.
//
// A path ending with the separator names a drive (a mount point) and gets a drive picture
// without the mount being touched.
// Every plain folder shares one pixmap, so a tree of many folders holds one picture's data.
// Returns a null pixmap when nothing exists at the path. Needs a QGuiApplication.
QPixmap fileIconPixmap(const QString &path, int size);

// The picture every plain folder shares, for a folder that must not be touched.
QPixmap folderIconPixmap(int size);
