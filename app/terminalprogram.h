#pragma once

#include <QString>
#include <functional>

// The terminal "Open Terminal Here" starts: the user's $TERMINAL, then Debian's alternative
// x-terminal-emulator, then the common desktops' own terminals, then xterm. find looks a
// program up on PATH and answers its full path, or nothing. Empty when none is installed.
QString terminalProgram(const QString &terminalVariable,
                        const std::function<QString(const QString &)> &find);

// The same for this machine: $TERMINAL and PATH as they are now.
QString installedTerminal();
