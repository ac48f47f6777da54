#pragma once

#include <QString>

class QWidget;

// Small shell services shared by the main window and the folder tree control.

// Shell special-folder numbers the program asks for.
namespace SpecialFolderId {
constexpr int Desktop = 0;
constexpr int MyDocuments = 5;
constexpr int Favorites = 6;
constexpr int Network = 19;
} // namespace SpecialFolderId

// The raw 512-character buffer of a special folder: its path, one NUL, blanks up to 512.
// Empty text when the folder is unknown on this platform (favorites, network).
// The desktop is the XDG desktop folder, or the home folder when that does not exist.
QString GetSpecialFolderPath(int folderId);

// The desktop folder with a trailing "/". Throws RuntimeError 5 when no path can be had.
QString DesktopFolderPath();

// True when the entry's last-modified time can be read (any kind of entry; links followed).
bool FileExists(const QString &path);

// Centres a top-level window on its screen, keeping its size.
void CenterWindow(QWidget *window);
