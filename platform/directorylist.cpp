#include "platform/directorylist.h"

#include "platform/directorylistread.h"

QString normalizedFolderPath(const QString &path)
{
    QString result = path;
    while (result.size() > 1 && result.endsWith(u'/'))
        result.chop(1);
    return result;
}

template class BasicDirectoryList<SystemDirectoryReads>;
