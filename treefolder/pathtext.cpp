#include "treefolder/pathtext.h"

QString lastPathComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString baseName(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const QString name = lastPathComponent(trimmed);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}
