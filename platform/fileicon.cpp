#include "platform/fileicon.h"

#include "platform/nativepath.h"

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QStyle>
#include <sys/stat.h>

namespace {

enum class Kind { Drive, Folder, Home, File };

// The provider's icon when it has one, else the style's standard picture; size points at the
// screen's pixels a point, so that it stays sharp on a screen of 2.
QPixmap pictureOf(const QIcon &provided, QStyle::StandardPixmap fallback, int size)
{
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap = provided.pixmap(QSize(size, size), ratio);
    if (pixmap.isNull() && QApplication::style())
        pixmap = QApplication::style()->standardIcon(fallback).pixmap(QSize(size, size), ratio);
    return pixmap;
}

QPixmap sharedPicture(Kind kind, int size)
{
    // Cached so that every folder of the same kind hands out the same pixmap data.
    static QHash<int, QPixmap> cache;
    const int cacheKey = int(kind) * 4096 + size;
    const auto found = cache.constFind(cacheKey);
    if (found != cache.constEnd())
        return *found;
    const QFileIconProvider provider;
    QPixmap pixmap;
    switch (kind) {
    case Kind::Drive:
        pixmap = pictureOf(provider.icon(QAbstractFileIconProvider::Drive), QStyle::SP_DriveHDIcon,
                           size);
        break;
    case Kind::Home:
        pixmap = pictureOf(QIcon(), QStyle::SP_DirHomeIcon, size);
        break;
    default:
        pixmap =
            pictureOf(provider.icon(QAbstractFileIconProvider::Folder), QStyle::SP_DirIcon, size);
        break;
    }
    cache.insert(cacheKey, pixmap);
    return pixmap;
}

} // namespace

QPixmap folderIconPixmap(int size)
{
    return sharedPicture(Kind::Folder, size);
}

QPixmap fileIconPixmap(const QString &path, int size)
{
    // A drive is known by its key alone: a stat of a silent network mount would never return.
    if (path.endsWith(u'/'))
        return sharedPicture(Kind::Drive, size);
    struct stat st;
    if (path.isEmpty() || stat(nativePath(path).constData(), &st) != 0)
        return {};
    if (S_ISDIR(st.st_mode)) {
        if (path == QDir::homePath())
            return sharedPicture(Kind::Home, size);
        return sharedPicture(Kind::Folder, size);
    }
    const QFileIconProvider provider;
    return pictureOf(provider.icon(QFileInfo(path)), QStyle::SP_FileIcon, size);
}
