#include "treefolder/nodepictures.h"

#include "platform/fileicon.h"
#include "platform/shelllibrary.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>

int NodePictures::indexOf(const QString &key, int size, bool fromLibrary, int iconNumber,
                          bool useShellLibrary)
{
    if (const int known = imgFolder.indexOf(key))
        return known; // each distinct key is drawn once for the life of the control
    QPixmap picture;
    if (!fromLibrary) {
        picture = fileIconPixmap(key, size);
        if (picture.isNull())
            return 0; // nothing at that path: the node shows no picture
    } else if (useShellLibrary) {
        // A number the library does not hold still gets its (empty) picture.
        picture = ShellLibrary::icon(iconNumber, size);
    } else {
        picture = QPixmap(key);
        if (picture.isNull())
            return 0; // not a readable picture file
    }
    return imgFolder.add(key, drawInBuffer(picture, size));
}

int NodePictures::folder()
{
    // Under a key no path can have (every path starts with the separator).
    const QString key = QStringLiteral(":folder");
    if (const int known = imgFolder.indexOf(key))
        return known;
    return imgFolder.add(key, drawInBuffer(folderIconPixmap(16), 16));
}

int NodePictures::knownFolder(const QString &key)
{
    if (const int known = imgFolder.indexOf(key))
        return known;
    static const QString home = QDir::homePath();
    const QPixmap picture = key == home ? fileIconPixmap(key, 16) : folderIconPixmap(16);
    return imgFolder.add(key, drawInBuffer(picture, 16));
}

QPixmap NodePictures::drawInBuffer(const QPixmap &picture, int size)
{
    // A picture of the right size is kept as it is, so many keys can share its data.
    if (!picture.isNull() && picture.deviceIndependentSize() == QSizeF(size, size))
        return picture;
    // Drawn with as many pixels as the screen has for a point, so that it stays sharp on a
    // screen of 2 device pixels a point.
    const qreal ratio =
        std::max({qreal(1), picture.isNull() ? qreal(1) : picture.devicePixelRatio(),
                  qApp ? qApp->devicePixelRatio() : qreal(1)});
    const QSize pixels = (QSizeF(size, size) * ratio).toSize();
    if (picBuffer.size() != pixels || picBuffer.devicePixelRatio() != ratio) {
        picBuffer = QPixmap(pixels);
        picBuffer.setDevicePixelRatio(ratio);
    }
    picBuffer.fill(Qt::transparent);
    if (!picture.isNull()) {
        QPainter painter(&picBuffer);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(QRectF(0, 0, size, size), picture, QRectF(picture.rect()));
    }
    return picBuffer.copy();
}
