#include "platform/specialfolders.h"

#include "platform/shellhelpers.h"

QString ShellSpecialFolders::path(int folderId) const
{
    // The raw answer is a fixed-size buffer; the path is the text before its first NUL.
    const QString raw = GetSpecialFolderPath(folderId);
    const qsizetype nul = raw.indexOf(QChar(0));
    return nul < 0 ? raw : raw.left(nul);
}
