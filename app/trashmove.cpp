#include "app/trashmove.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray infoFileOf(const QByteArray &inTrash)
{
    // <trash>/files/<name> has its record at <trash>/info/<name>.trashinfo.
    const qsizetype slash = inTrash.lastIndexOf('/');
    const QByteArray files = inTrash.left(slash);
    const qsizetype filesSlash = files.lastIndexOf('/');
    return files.left(filesSlash) + "/info/" + inTrash.mid(slash + 1) + ".trashinfo";
}

bool exists(const QByteArray &path)
{
    struct stat st {};
    return lstat(path.constData(), &st) == 0;
}

} // namespace

TrashMove moveFolderToTrash(const QByteArray &folder, const FolderIdentity &identity)
{
    TrashMove move;
    move.original = folder;
    struct stat st {};
    if (lstat(folder.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        move.error = QCoreApplication::translate("TrashMove", "It is no longer there");
        return move;
    }
    if (FolderIdentity{st.st_dev, st.st_ino} != identity) {
        move.error = QCoreApplication::translate("TrashMove", "Another folder has taken its place");
        return move;
    }
    // Qt makes the home trash but not the data folder it lives in; without that folder it
    // renames into ./files of the working directory and calls that a success.
    if (!QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))) {
        move.error = QCoreApplication::translate(
            "TrashMove", "The Trash cannot take it here: the home trash cannot be made");
        return move;
    }
    QFile file(QFile::decodeName(folder));
    if (!file.moveToTrash()) {
        struct statvfs volume {};
        const bool readOnly =
            statvfs(folder.constData(), &volume) == 0 && (volume.f_flag & ST_RDONLY) != 0;
        move.error =
            readOnly
                ? QCoreApplication::translate(
                      "TrashMove", "The Trash cannot take it here: its volume is read-only")
                : QCoreApplication::translate(
                      "TrashMove", "The Trash cannot take it here: its volume has no usable trash");
        if (!exists(folder))
            move.error =
                QCoreApplication::translate("TrashMove", "%1, and it is no longer where it was")
                    .arg(move.error);
        return move;
    }
    const QByteArray inTrash = QFile::encodeName(file.fileName());
    const QByteArray info = infoFileOf(inTrash);
    if (!inTrash.startsWith('/') || !exists(inTrash) || !exists(info)) {
        // Not where the desktop's Trash would show it: put back, as nothing was moved.
        const bool back = renameat2(AT_FDCWD, inTrash.constData(), AT_FDCWD, folder.constData(),
                                    RENAME_NOREPLACE) == 0;
        move.error = back
                         ? QCoreApplication::translate("TrashMove", "The Trash cannot take it here")
                         : QCoreApplication::translate("TrashMove", "The Trash left it at %1")
                               .arg(QFile::decodeName(inTrash));
        return move;
    }
    move.moved = true;
    move.inTrash = inTrash;
    move.info = info;
    return move;
}

TrashRestore restoreFromTrash(const TrashMove &move)
{
    TrashRestore restore;
    if (!exists(move.inTrash)) {
        restore.error = QCoreApplication::translate("TrashMove", "It is no longer in the Trash");
        return restore;
    }
    // Never over a name taken since: rename would replace an empty folder of that name.
    int error = 0;
    if (renameat2(AT_FDCWD, move.inTrash.constData(), AT_FDCWD, move.original.constData(),
                  RENAME_NOREPLACE) != 0) {
        error = errno;
        // A file system that cannot promise "no replace" is asked first, then renamed.
        if (error == EINVAL) {
            error = exists(move.original) ? EEXIST : 0;
            if (error == 0 && rename(move.inTrash.constData(), move.original.constData()) != 0)
                error = errno;
        }
    }
    if (error == EEXIST || error == ENOTEMPTY)
        restore.error = QCoreApplication::translate(
            "TrashMove", "Its name has been taken since; it stays in the Trash");
    else if (error == ENOENT || error == ENOTDIR)
        restore.error =
            QCoreApplication::translate("TrashMove", "Its folder is gone; it stays in the Trash");
    else if (error != 0)
        restore.error = QCoreApplication::translate("TrashMove", "%1; it stays in the Trash")
                            .arg(systemError(error));
    if (error != 0)
        return restore;
    restore.restored = true;
    unlink(move.info.constData()); // a stale record only shows an entry the Trash no longer has
    return restore;
}
