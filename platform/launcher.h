#pragma once

#include <QString>
#include <QStringList>

// Starts other programs: the web browser for an address, or a named program with arguments.
// Tests hand in a recording fake so that nothing real is ever started.
class Launcher {
public:
    virtual ~Launcher() = default;
    // Opens the address in the user's browser; false when no program could be started.
    virtual bool openUrl(const QString &url) = 0;
    // Starts the program detached from us; false when it could not be started.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
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
    bool startProgram(const QString &program, const QStringList &arguments) override;
    bool startProgramIn(const QString &program, const QStringList &arguments,
                        const QString &workingFolder) override;
};
