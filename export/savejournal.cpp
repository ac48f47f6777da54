#include "export/savejournal.h"

#include "export/inplacewrite.h"
#include "platform/nativepath.h"
#include "posix/fullwrite.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray absolute(const QByteArray &path)
{
    if (path.startsWith('/'))
        return path;
    char here[4096];
    return ::getcwd(here, sizeof here) ? QByteArray(here) + '/' + path : path;
}

// "DEVICE.INODE": the name a note of that file has, so that a later save of the same file (run
// after the stopped one, under the file's lock) reuses and removes it.
QByteArray noteName(const struct stat &saved)
{
    return QByteArray::number(quint64(saved.st_dev)) + '.' +
           QByteArray::number(quint64(saved.st_ino));
}

QByteArray readNote(const QByteArray &note)
{
    QFile file(QFile::decodeName(note));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64 * 1024);
}

} // namespace

QByteArray saveNotesFolder()
{
    return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                             QStringLiteral("/quorvane/saves-under-way"));
}

QByteArray noteSaveUnderWay(const QByteArray &path, const struct stat &saved)
{
    const QByteArray folder = saveNotesFolder();
    if (!QDir().mkpath(QFile::decodeName(folder)))
        return {};
    const QByteArray note = folder + '/' + noteName(saved);
    const QByteArray part = note + ".part";
    const int fd =
        ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    // Whole on the disk before it counts, as the backup it stands for is.
    const QByteArray text = absolute(path);
    const bool written =
        writeAll(fd, text.constData(), size_t(text.size()), ::write) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    if (!written || ::rename(part.constData(), note.constData()) != 0) {
        ::unlink(part.constData());
        return {};
    }
    return note;
}

void forgetSave(const QByteArray &note)
{
    if (!note.isEmpty())
        ::unlink(note.constData());
}

QStringList restoreStoppedSaves()
{
    const QByteArray folder = saveNotesFolder();
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return {};
    QList<QByteArray> notes;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        const qsizetype dot = name.indexOf('.');
        bool deviceOk = false, inodeOk = false;
        name.left(dot).toULongLong(&deviceOk);
        name.mid(dot + 1).toULongLong(&inodeOk);
        if (dot > 0 && deviceOk && inodeOk)
            notes << name;
    }
    ::closedir(dir);
    QStringList problems;
    for (const QByteArray &name : notes) {
        const QByteArray note = folder + '/' + name;
        const QByteArray path = readNote(note);
        const ino_t inode = ino_t(name.mid(name.indexOf('.') + 1).toULongLong());
        const int error = path.isEmpty() ? 0 : restoreStoppedSave(path, inode);
        if (error == EINPROGRESS)
            continue; // another instance is saving that file right now
        if (error == 0) {
            forgetSave(note);
            continue;
        }
        problems << QStringLiteral("a save of %1 was stopped half-way; its old contents are "
                                   "in %2 and could not be put back (%3)")
                        .arg(displayPath(pathFromNative(path)),
                             displayPath(pathFromNative(inPlaceBackupName(path, inode))),
                             error == EEXIST
                                 ? QStringLiteral("it is not the program's own backup alone")
                                 : QString::fromLocal8Bit(std::strerror(error)));
    }
    return problems;
}
