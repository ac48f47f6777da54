#include "platform/launcher.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <chrono>
#include <memory>
#include <utility>

namespace {

// How long xdg-open takes at most to find that no program opens folders.
constexpr std::chrono::milliseconds OpenerGivesUpWithin{3000};

} // namespace

bool SystemLauncher::openUrl(const QString &url)
{
    // QDesktopServices::openUrl reports success even when xdg-open then fails, so the
    // helper is started directly; a missing helper is a failure we can see.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !opener.isEmpty() && QProcess::startDetached(opener, {url});
}

// xdg-open waits for the program it starts unless that one returns at once, and fails with
// an exit code of its own when the desktop has no program for folders. Its answer is awaited
// without blocking; still running after a while, it has found one. The process is left to
// run (never killed with us: the file manager is the user's now) and deletes itself once
// it ends.
void SystemLauncher::openFolder(const QString &url, std::function<void(bool opened)> answer)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        answer(false);
        return;
    }
    auto *process = new QProcess;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto once = std::make_shared<std::function<void(bool)>>(std::move(answer));
    auto say = [once](bool opened) {
        if (*once)
            std::exchange(*once, nullptr)(opened);
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, say](int code, QProcess::ExitStatus status) {
                         say(status == QProcess::NormalExit && code == 0);
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, say](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return;
                         say(false);
                         process->deleteLater();
                     });
    QTimer::singleShot(OpenerGivesUpWithin, process, [say] { say(true); });
    process->start(opener, {url});
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
