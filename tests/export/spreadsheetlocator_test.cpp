#include "export/desktopspreadsheetlocator.h"
#include "exportfakes.h"
#include "support/temptree.h"

#include <QFile>
#include <future>
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
        // The answer is at hand at once; the long wait only keeps a busy machine from failing.
        return find([defaultId] { return defaultId; }, std::chrono::seconds(30));
    }
    std::optional<SpreadsheetProgram> find(std::function<QString()> defaultId,
                                           std::chrono::milliseconds wait) const
    {
        m_tree.makeDir("bin");
        DesktopSpreadsheetLocator locator(
            {std::move(defaultId), {m_tree.pathQ("applications")}, {m_tree.pathQ("bin")}, wait});
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

TEST(DesktopSpreadsheetLocator, AHangingDefaultLookupIsNotWaitedForBeyondTheShortBound)
{
    FakeDesktop desktop;
    desktop.program("localc");
    desktop.program("mycalc");
    desktop.entry("mycalc.desktop", "[Desktop Entry]\nExec=mycalc %f\n");

    std::promise<void> answer;
    const std::shared_future<void> answered = answer.get_future().share();
    const auto program = desktop.find(
        [answered] {
            answered.wait_for(std::chrono::seconds(3));
            return QStringLiteral("mycalc.desktop");
        },
        std::chrono::milliseconds(50));
    answer.set_value();
    ASSERT_TRUE(program);
    EXPECT_EQ(program->program, desktop.bin("localc")) << "the export waited for the lookup";
}

TEST(DesktopSpreadsheetLocator, TheSystemDesktopAsksXdgMimeForTheDefault)
{
    TempTree tree;
    tree.makeFile("bin/xdg-mime", 0);
    QFile script(tree.pathQ("bin/xdg-mime"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n[ \"$*\" = \"query default "
                 "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet\" ] || exit 1\n"
                 "echo mycalc.desktop; echo second line\n");
    script.close();
    ::chmod(tree.path("bin/xdg-mime").c_str(), 0755);

    const ScopedEnv path("PATH", QFile::encodeName(tree.pathQ("bin")));
    EXPECT_EQ(DesktopSpreadsheetLocator::systemDesktop().defaultEntryId(),
              QStringLiteral("mycalc.desktop"));
    ::chmod(tree.path("bin/xdg-mime").c_str(), 0644); // no longer runs: no default
    EXPECT_EQ(DesktopSpreadsheetLocator::systemDesktop().defaultEntryId(), QString());
}
