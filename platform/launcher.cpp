#include "platform/launcher.h"

#include <QProcess>
#include <QStandardPaths>

bool SystemLauncher::openUrl(const QString &url)
{
    // QDesktopServices::openUrl reports success even when xdg-open then fails, so the
    // helper is started directly; a missing helper is a failure we can see.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !opener.isEmpty() && QProcess::startDetached(opener, {url});
}

bool SystemLauncher::startProgram(const QString &program, const QStringList &arguments)
{
    return QProcess::startDetached(program, arguments);
}

bool SystemLauncher::startProgramIn(const QString &program, const QStringList &arguments,
                                    const QString &workingFolder)
{
    return QProcess::startDetached(program, arguments, workingFolder);
}
