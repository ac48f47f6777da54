#pragma once

#include <QString>

// Where new workbooks are written: the user's documents folder when it exists, else the
// temporary folder.
QString defaultWorkbookFolder();

// Creates a new, empty file "Folder Sizes N.xlsx" in `folder` with the smallest N from 1 on
// that is free, and returns its path. The file is created exclusively, so an earlier
// workbook - or anything else of that name - is never overwritten. Raises the file error
// of the failing call when the folder cannot take a new file.
QString reserveWorkbookFile(const QString &folder);
