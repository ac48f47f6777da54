#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Starts other programs: the web browser for an address, or a named program with arguments.
// Tests hand in a recording fake so that nothing real is ever started.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Opens the address in the user's browser; false when no program could be started.
    virtual bool openUrl(const QString &url) = 0;
    // Starts the program detached from us; false when it could not be started.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
    // Opens a folder (its file URL) in the desktop's file manager and says through answer,
    // later, whether that worked: false when no opener could be started or it gave up (no
    // program for folders). The default asks openUrl at once.
    virtual void openFolder(const QString &url, std::function<void(bool opened)> answer)
    {
        answer(openUrl(url));
    }
    // Starts the program detached from us in workingFolder; false when it could not be
    // started (a launcher that cannot choose the folder starts nothing).
    virtual bool startProgramIn(const QString &program, const QStringList &arguments,
                                const QString &workingFolder)
    {
        Q_UNUSED(program);
        Q_UNUSED(arguments);
        Q_UNUSED(workingFolder);
        return false;
    }
};

// The real one: xdg-open for addresses, a detached process for programs.
class SystemLauncher : public Launcher {
public:
    bool openUrl(const QString &url) override;
    void openFolder(const QString &url, std::function<void(bool opened)> answer) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    bool startProgramIn(const QString &program, const QStringList &arguments,
                        const QString &workingFolder) override;
};
