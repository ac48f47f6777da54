#include "app/trashrefusal.h"

#include <QCoreApplication>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

bool folderWithin(const QByteArray &folder, const QByteArray &ancestor)
{
    if (ancestor.isEmpty())
        return false;
    if (folder == ancestor || ancestor == "/")
        return true;
    return folder.startsWith(ancestor) && folder.at(ancestor.size()) == '/';
}

QString trashRefusal(const TrashRequest &request, const TrashFolderFacts &facts)
{
    if (request.openedScan)
        return QCoreApplication::translate("TrashRefusal", "An opened scan is read-only");
    if (request.folder == "/")
        return QCoreApplication::translate("TrashRefusal", "The root of the file system");
    if (request.folder == request.home)
        return QCoreApplication::translate("TrashRefusal", "Your home folder");
    if (folderWithin(request.home, request.folder))
        return QCoreApplication::translate("TrashRefusal", "Holds your home folder");
    if (request.folder == request.charted)
        return QCoreApplication::translate("TrashRefusal", "The folder the chart shows");
    if (folderWithin(request.charted, request.folder))
        return QCoreApplication::translate("TrashRefusal", "Holds the folder the chart shows");
    if (folderWithin(request.selected, request.folder))
        return QCoreApplication::translate("TrashRefusal", "Holds the folder selected in the tree");
    if (request.measuring)
        return QCoreApplication::translate("TrashRefusal", "Its size is still being measured");
    if (request.moving)
        return QCoreApplication::translate("TrashRefusal", "Another folder is being moved");
    // QFile::moveToTrash takes the name as text: bytes that are not UTF-8 would name another
    // file, or none.
    if (QFile::encodeName(QFile::decodeName(request.folder)) != request.folder)
        return QCoreApplication::translate("TrashRefusal", "Its name is not UTF-8 text");
    if (!facts.answered)
        return QCoreApplication::translate("TrashRefusal", "Its volume is not responding");
    if (!facts.exists)
        return QCoreApplication::translate("TrashRefusal", "It is no longer there");
    if (facts.mountPoint)
        return QCoreApplication::translate("TrashRefusal", "A volume is mounted on it");
    if (!facts.parentWritable)
        return QCoreApplication::translate("TrashRefusal",
                                           "You may not remove folders from its parent folder");
    if (facts.stickyOtherOwner)
        return QCoreApplication::translate("TrashRefusal",
                                           "Its parent folder lets only the owner remove it");
    return {};
}

TrashFolderFacts readTrashFolderFacts(const QByteArray &folder, const QSet<QByteArray> &mountPoints)
{
    TrashFolderFacts facts;
    struct stat own {};
    if (lstat(folder.constData(), &own) != 0 || !S_ISDIR(own.st_mode)) {
        facts.exists = false;
        return facts;
    }
    facts.identity = {own.st_dev, own.st_ino};
    const qsizetype slash = folder.lastIndexOf('/');
    const QByteArray parent = slash <= 0 ? QByteArray("/") : folder.left(slash);
    struct stat above {};
    if (stat(parent.constData(), &above) != 0) {
        facts.exists = false;
        return facts;
    }
    facts.mountPoint = own.st_dev != above.st_dev || mountPoints.contains(folder);
    facts.parentWritable = access(parent.constData(), W_OK | X_OK) == 0;
    const uid_t user = geteuid();
    facts.stickyOtherOwner =
        (above.st_mode & S_ISVTX) != 0 && user != 0 && above.st_uid != user && own.st_uid != user;
    return facts;
}
