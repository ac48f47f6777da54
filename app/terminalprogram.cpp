#include "app/terminalprogram.h"

#include <QStandardPaths>
#include <QStringList>

QString terminalProgram(const QString &terminalVariable,
                        const std::function<QString(const QString &)> &find)
{
    QStringList candidates;
    if (!terminalVariable.trimmed().isEmpty())
        candidates << terminalVariable.trimmed();
    candidates << QStringLiteral("x-terminal-emulator") << QStringLiteral("gnome-terminal")
               << QStringLiteral("konsole") << QStringLiteral("xfce4-terminal")
               << QStringLiteral("mate-terminal") << QStringLiteral("lxterminal")
               << QStringLiteral("qterminal") << QStringLiteral("kitty")
               << QStringLiteral("alacritty") << QStringLiteral("foot") << QStringLiteral("xterm");
    for (const QString &candidate : candidates) {
        const QString found = find(candidate);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString installedTerminal()
{
    return terminalProgram(qEnvironmentVariable("TERMINAL"), [](const QString &name) {
        return QStandardPaths::findExecutable(name);
    });
}
