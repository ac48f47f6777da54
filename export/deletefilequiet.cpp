#include "export/deletefilequiet.h"

#include <QFile>
#include <unistd.h>

void DeleteFileQuiet(const QString &path)
{
    if (!path.isEmpty())
        ::unlink(QFile::encodeName(path).constData());
}
