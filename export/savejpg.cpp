#include "export/savejpg.h"

#include "export/safesave.h"
#include "platform/runtimeerror.h"

#include <QBuffer>
#include <QImage>

namespace {

constexpr int statusGenericError = 1;
constexpr int statusInvalidParameter = 2;
constexpr int statusWin32Error = 7;
constexpr int statusUnknownImageFormat = 13;

[[noreturn]] void raiseStatus(int status)
{
    throw RuntimeError(RuntimeErrorNumber::CannotSaveImage,
                       QStringLiteral("Cannot save the image. GDI+ Error:") +
                           QString::number(status));
}

} // namespace

int jpegStatus(QImageWriter::ImageWriterError error)
{
    switch (error) {
    case QImageWriter::InvalidImageError:
        return statusInvalidParameter;
    case QImageWriter::DeviceError:
        return statusWin32Error;
    case QImageWriter::UnsupportedFormatError:
        return statusUnknownImageFormat;
    case QImageWriter::UnknownError:
        break;
    }
    return statusGenericError;
}

QByteArray EncodeJPG(const QImage &picture, int quality)
{
    if (picture.isNull() || quality < 0 || quality > 100)
        raiseStatus(statusInvalidParameter);
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArrayLiteral("jpeg"));
    writer.setQuality(quality);
    if (!writer.write(picture))
        raiseStatus(jpegStatus(writer.error()));
    return encoded;
}

void SaveJPG(const QImage &picture, const QString &fileName, int quality)
{
    // Encoded in memory first, so that a bad call leaves no empty file behind, the encoder
    // does not miss a failed final flush of a file, and the file is replaced only once the
    // whole picture is safely on disk.
    const QByteArray encoded = EncodeJPG(picture, quality);
    if (!safeSave(fileName, encoded).ok())
        raiseStatus(statusWin32Error);
}
