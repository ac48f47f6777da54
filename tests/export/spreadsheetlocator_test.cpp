#include "export/desktopspreadsheetlocator.h"
#include "support/temptree.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

struct ExecCase {
    const char *exec;
    const char *program;
    QStringList arguments; // as launched for the workbook "/w/Folder Sizes 1.xlsx"
};

const QString workbook = QStringLiteral("/w/Folder Sizes 1.xlsx");

// A desktop with its own bin/ and applications/ folders and a chosen default entry.
class FakeDesktop {
public:
    void program(const std::string &name) const
    {
        m_tree.makeFile("bin/" + name, 10);
        ::chmod(m_tree.path("bin/" + name).c_str(), 0755);
    }
    void entry(const std::string &relative, const QByteArray &text) const
    {
        m_tree.makeDir("applications");
        m_tree.makeFile("applications/" + relative, 0);
        QFile file(m_tree.pathQ("applications/" + relative));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
    std::optional<SpreadsheetProgram> find(const QString &defaultId) const
    {
        m_tree.makeDir("bin");
        DesktopSpreadsheetLocator locator({[defaultId] { return defaultId; },
                                           {m_tree.pathQ("applications")},
                                           {m_tree.pathQ("bin")}});
        return locator.find();
    }
    QString bin(const std::string &name) const { return m_tree.pathQ("bin/" + name); }

private:
    TempTree m_tree;
};

} // namespace

TEST(DesktopExec, SplitsQuotesEscapesAndFieldCodes)
{
    const ExecCase cases[] = {
        {"libreoffice --calc %U", "libreoffice", {"--calc", workbook}},
        {"gnumeric %F --no-splash", "gnumeric", {workbook, "--no-splash"}},
        {"\"/opt/My Calc/calc\" --nologo %f", "/opt/My Calc/calc", {"--nologo", workbook}},
        {"calc %i %c %k", "calc", {workbook}},
        {"calc --ratio=100%% %u %U", "calc", {"--ratio=100%", workbook}},
        {"calc \"a\\\\\\\\b\" \"say \\\"hi\\\"\"", "calc", {"a\\b", "say \"hi\"", workbook}},
        {"calc\\sspaced %f", "calc", {"spaced", workbook}},
    };
    for (const ExecCase &c : cases) {
        const auto program = parseDesktopExec(QString::fromUtf8(c.exec));
        ASSERT_TRUE(program) << c.exec;
        EXPECT_EQ(program->program, QString::fromUtf8(c.program)) << c.exec;
        EXPECT_EQ(program->argumentsFor(workbook), c.arguments) << c.exec;
    }
    EXPECT_FALSE(parseDesktopExec(QStringLiteral("\"unterminated --calc")));
    EXPECT_FALSE(parseDesktopExec(QStringLiteral("   ")));
    EXPECT_FALSE(parseDesktopExec(QStringLiteral("%U")));
}

TEST(DesktopSpreadsheetLocator, DefaultEntryComesFirst)
{
    FakeDesktop desktop;
    desktop.program("localc");
    desktop.program("mycalc");
    desktop.entry("mycalc.desktop", "[Desktop Entry]\nName=My Calc\nExec=mycalc --view %U\n"
                                    "[Desktop Action new]\nExec=mycalc --new\n");
    desktop.entry("vendor/sheets.desktop", "[Desktop Entry]\nExec=mycalc --vendor\n");

    auto program = desktop.find(QStringLiteral("mycalc.desktop"));
    ASSERT_TRUE(program);
    EXPECT_EQ(program->program, desktop.bin("mycalc"));
    EXPECT_EQ(program->argumentsFor(workbook), QStringList({QStringLiteral("--view"), workbook}));

    program = desktop.find(QStringLiteral("vendor-sheets.desktop"));
    ASSERT_TRUE(program);
    EXPECT_EQ(program->arguments, QStringList{QStringLiteral("--vendor")});
}

TEST(DesktopSpreadsheetLocator, UnusableDefaultFallsBackToCalcThenGnumeric)
{
    FakeDesktop desktop;
    desktop.entry("gone.desktop", "[Desktop Entry]\nExec=not-installed %f\n");
    desktop.entry("hidden.desktop", "[Desktop Entry]\nExec=gnumeric %f\nHidden=true\n");
    EXPECT_FALSE(desktop.find(QStringLiteral("gone.desktop")));

    desktop.program("gnumeric");
    auto program = desktop.find(QStringLiteral("hidden.desktop"));
    ASSERT_TRUE(program);
    EXPECT_EQ(program->program, desktop.bin("gnumeric"));
    EXPECT_TRUE(program->arguments.isEmpty());

    desktop.program("libreoffice");
    program = desktop.find(QStringLiteral("gone.desktop"));
    ASSERT_TRUE(program);
    EXPECT_EQ(program->argumentsFor(workbook), QStringList({QStringLiteral("--calc"), workbook}));

    desktop.program("localc");
    program = desktop.find(QString());
    ASSERT_TRUE(program);
    EXPECT_EQ(program->program, desktop.bin("localc"));
}
