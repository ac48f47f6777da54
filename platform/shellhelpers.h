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

// The desktop folder with a trailing "/" ("/" itself stays "/"). Throws RuntimeError 5 when
// no path can be had.
QString DesktopFolderPath();

// True when the entry's last-modified time can be read (any kind of entry; links followed).
// Never fails: empty text, a text holding a NUL and every failure give false.
bool FileExists(const QString &path);

// Centres a top-level window on its screen, keeping its size; a window larger than the
// screen gets a negative left or top. Throws RuntimeError 91 for a null window.
void CenterWindow(QWidget *window);
