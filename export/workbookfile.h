#pragma once

#include <QString>
#include <sys/types.h>

// Where new workbooks are written: the user's documents folder when it exists, else the
// temporary folder.
QString defaultWorkbookFolder();

// The permissions a new workbook in `folder` is created with (less the umask): readable by
// its owner only in a shared temporary folder (sticky and writable by everyone, such as
// /tmp), where every other user could read it otherwise; the usual 0666 anywhere else.
mode_t workbookFileMode(const QString &folder);

// Creates a new, empty file "Folder Sizes N.xlsx" in `folder` with the smallest N from 1 on
// that is free, with `mode` less the umask, and returns its path. The file is created
// exclusively, so an earlier workbook - or anything else of that name - is never
// overwritten. Raises the file error of the failing call when the folder cannot take a new
// file.
QString reserveWorkbookFile(const QString &folder, mode_t mode = 0666);
