#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

// A 32 x 32 cursor file: Qt writes an icon file, which differs from a cursor file only in
// its type field and in the two entry fields that hold the hot spot.
inline QByteArray cursorFile(int hotX, int hotY)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        return {};
    QByteArray bytes = buffer.data();
    qToLittleEndian<quint16>(2, bytes.data() + 2);
    qToLittleEndian<quint16>(quint16(hotX), bytes.data() + 10);
    qToLittleEndian<quint16>(quint16(hotY), bytes.data() + 12);
    return bytes;
}
