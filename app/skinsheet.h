#pragma once

#include <QString>

// The largest picture a skin may name, in pixels: decoded it stays within Qt's picture
// cache, so that it is read once for the whole window instead of once for every widget.
inline constexpr qint64 MaxSkinPicturePixels = 1024 * 1024;

// The skin's style sheet with every url(...) it holds checked before Qt may read it: one
// stays only when it names a Qt resource (":/...") or a regular file of at most
// MaxStartUpFileBytes whose picture is at most MaxSkinPicturePixels (read from its header,
// without decoding it). Any other becomes url(), which Qt treats as a missing picture, so a
// FIFO, a device or a huge picture named by the skin neither stalls nor floods start-up.
// Relative names are taken from the current folder, as Qt takes them. A sheet holding a
// backslash is refused whole (empty text): Qt reads CSS escapes where this check would see
// other names, so an escaped "url(" would get past it.
QString safeSkinStyleSheet(const QString &sheet);
