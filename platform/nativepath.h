#pragma once

#include <QByteArray>
#include <QString>

// A name on Linux is any bytes but "/" and NUL; most are UTF-8, some are not ("\xff\xfe").
// Paths travel through the program as QString, the tree's keys and events included, so the
// text has to carry the bytes without loss: valid UTF-8 is decoded as usual and every byte
// outside it becomes the lone surrogate U+DC00 + byte, which no decoded text can contain.
// nativePath(pathFromNative(b)) == b for every b.
//
// These two are the edges: bytes from readdir or the mount table come in through
// pathFromNative, and every open, stat or scan goes out through nativePath.
QString pathFromNative(const QByteArray &bytes);
QByteArray nativePath(const QString &path);

// The text to show for a path or name, one line that a reader can trust: each byte that is
// not UTF-8 shows as U+FFFD, each control character as a visible stand-in (a carriage return
// as U+240D), so no name can start a line of its own in a report.
QString displayPath(const QString &path);
