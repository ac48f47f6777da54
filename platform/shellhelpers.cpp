#include "platform/shellhelpers.h"

#include "platform/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <sys/stat.h>

namespace {

constexpr int RawBufferLength = 512;

// The folder with every symbolic link resolved. The folder tree shows real folders only, so
// a desktop that is a link to /data/Desk must be named /data/Desk to be found in it.
QString realFolder(const QString &folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? folder : canonical;
}

QString specialFolder(int folderId)
{
    switch (folderId) {
    case SpecialFolderId::Desktop: {
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (!desktop.isEmpty() && QFileInfo(desktop).isDir())
            return realFolder(desktop);
        return realFolder(QDir::homePath());
    }
    case SpecialFolderId::MyDocuments: {
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        return QFileInfo(documents).isDir() ? realFolder(documents) : QString();
    }
    default: // no favorites nor network folder on a Linux desktop
        return {};
    }
}

} // namespace

QString GetSpecialFolderPath(int folderId)
{
    const QString path = specialFolder(folderId);
    if (path.isEmpty() || path.size() >= RawBufferLength)
        return {};
    QString raw = path;
    raw.append(QChar(0));
    raw.append(QString(RawBufferLength - raw.size(), u' '));
    return raw;
}

QString DesktopFolderPath()
{
    const QString raw = GetSpecialFolderPath(SpecialFolderId::Desktop);
    const qsizetype lastNul = raw.lastIndexOf(QChar(0));
    if (lastNul < 0)
        throw RuntimeError(RuntimeErrorNumber::InvalidProcedureCall,
                           QStringLiteral("Invalid procedure call or argument"));
    const QString folder = raw.left(lastNul);
    // A home folder of "/" must not become "//", which would read as a drive key.
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

bool FileExists(const QString &path)
{
    // No file name holds a NUL; cutting the text there would test some other file.
    if (path.isEmpty() || path.contains(QChar(0)))
        return false;
    struct stat st;
    return stat(QFile::encodeName(path).constData(), &st) == 0;
}

void CenterWindow(QWidget *window)
{
    if (!window)
        throw RuntimeError(RuntimeErrorNumber::ObjectNotSet,
                           QStringLiteral("Object variable or With block variable not set"));
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->geometry();
    const QSize frame = window->frameGeometry().size();
    window->move(available.x() + (available.width() - frame.width()) / 2,
                 available.y() + (available.height() - frame.height()) / 2);
}
