#pragma once

#include <QImageWriter>
#include <QString>

class QImage;

// Encodes `picture` as a JPEG file at `fileName`, exactly as named (no extension is added),
// with `quality` from 0 (smallest) to 100 (best).
//
// On failure raises RuntimeError 5 whose description is "Cannot save the image. GDI+ Error:"
// directly followed by a status number in decimal. The numbers keep the meaning of the
// GDI+ statuses that callers and users may already know:
//
//   2  InvalidParameter    the picture is empty, or quality is outside 0..100
//   7  Win32Error          the file cannot be created or written (missing folder, no
//                          permission, disk full, not a regular file)
//   13 UnknownImageFormat  no JPEG encoder is available: QImageWriter::UnsupportedFormatError
//   1  GenericError        any other failure of the encoder: QImageWriter::UnknownError
//
// The picture is encoded completely before the file is touched, and the file is replaced
// only once the new one is safely written (see safeSave): after any failure an existing
// file keeps its old picture. A folder, FIFO or device at fileName is refused with 7.
void SaveJPG(const QImage &picture, const QString &fileName, int quality);

// The bytes SaveJPG writes: `picture` encoded as JPEG with `quality`. Raises the same
// error 5 with status 2, 13 or 1.
QByteArray EncodeJPG(const QImage &picture, int quality);

// The status number reported for an image writer error (see above).
int jpegStatus(QImageWriter::ImageWriterError error);
