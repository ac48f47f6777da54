#include "app/handcursor.h"

#include "app/regularfile.h"
#include "platform/runtimeerror.h"

#include <QImage>
#include <QPixmap>
#include <QtEndian>

namespace {

constexpr int InvalidPicture = 481;
// ICONDIR (6 bytes) then the first ICONDIRENTRY, whose planes and bit-count fields hold the
// hot spot in a cursor file.
constexpr int HeaderSize = 6 + 16;
constexpr int CursorType = 2;

[[noreturn]] void invalidPicture()
{
    throw RuntimeError(InvalidPicture, QStringLiteral("Invalid picture"));
}

} // namespace

QCursor LoadCursorFile(const QString &path)
{
    const std::optional<QByteArray> read = readRegularFile(path);
    if (!read)
        invalidPicture();
    const QByteArray &bytes = *read;
    if (bytes.size() < HeaderSize ||
        qFromLittleEndian<quint16>(bytes.constData() + 2) != CursorType)
        invalidPicture();
    const QImage image = QImage::fromData(bytes, "CUR");
    if (image.isNull())
        invalidPicture();
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
    return QCursor(QPixmap::fromImage(image), std::min(hotX, image.width() - 1),
                   std::min(hotY, image.height() - 1));
}
