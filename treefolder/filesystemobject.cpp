#include "treefolder/filesystemobject.h"

#include "platform/specialfolders.h"
#include "treefolder/pathtext.h"

QString FileSystemObject::specialFolder(int folderId) const
{
    return m_specialFolders->path(folderId);
}

QString FileSystemObject::getBaseName(const QString &path)
{
    return baseName(path);
}
