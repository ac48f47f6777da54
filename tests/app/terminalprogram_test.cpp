#include "app/terminalprogram.h"

#include <QStringList>
#include <gtest/gtest.h>

TEST(TerminalProgram, TakesTheUsersThenDebiansThenAnyInstalledTerminal)
{
    QStringList installed;
    auto find = [&](const QString &name) {
        return installed.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
    };
    EXPECT_EQ(terminalProgram(QString(), find), QString());
    installed = {"xterm"};
    EXPECT_EQ(terminalProgram(QString(), find), "/usr/bin/xterm");
    installed << "x-terminal-emulator";
    EXPECT_EQ(terminalProgram(QString(), find), "/usr/bin/x-terminal-emulator");
    EXPECT_EQ(terminalProgram("kitty", find), "/usr/bin/x-terminal-emulator"); // not installed
    installed << "kitty";
    EXPECT_EQ(terminalProgram(" kitty ", find), "/usr/bin/kitty");
}
