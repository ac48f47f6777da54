#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "support/temptree.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

// Sets an environment variable for one test and puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char *m_name;
    std::optional<std::string> m_old;
};

// Makes a folder below the tree whose full path is exactly `length` characters long, in
// names short enough for the file system.
std::string folderOfLength(const TempTree &tree, const std::string &first, std::size_t length)
{
    std::string relative = first;
    while (tree.path(relative).size() < length) {
        const std::size_t missing = length - tree.path(relative).size();
        relative += missing > 100 ? "/" + std::string(99, 'x') : std::string(missing, 'y');
    }
    tree.makeDir(relative);
    return tree.path(relative);
}

// A home folder of its own, with an XDG configuration that names the desktop folder.
class DesktopFolder : public ::testing::Test {
protected:
    void nameDesktop(const std::string &xdgValue)
    {
        m_tree.makeDir("config");
        std::ofstream(m_tree.path("config/user-dirs.dirs"))
            << "XDG_DESKTOP_DIR=\"" << xdgValue << "\"\n";
    }

    TempTree m_tree;
    ScopedEnv m_home{"HOME", m_tree.root()};
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_tree.path("config")};
};

TEST_F(DesktopFolder, IsTheXdgDesktopWithATrailingSeparator)
{
    nameDesktop("$HOME/My Desk");
    m_tree.makeDir("My Desk");

    EXPECT_EQ(DesktopFolderPath(), m_tree.pathQ("My Desk/"));
}

TEST_F(DesktopFolder, FallsBackToHomeWhenTheDesktopDoesNotExist)
{
    nameDesktop("$HOME/Missing Desk");
    EXPECT_EQ(DesktopFolderPath(), m_tree.rootQ() + "/");

    m_tree.makeDir("Desktop"); // no configuration: the usual name counts once it exists
    std::remove(m_tree.path("config/user-dirs.dirs").c_str());
    EXPECT_EQ(DesktopFolderPath(), m_tree.pathQ("Desktop/"));
}

TEST_F(DesktopFolder, ADesktopThatIsALinkIsNamedByTheFolderItLeadsTo)
{
    // The tree lists real folders only; the link's own name could never be selected there.
    nameDesktop("$HOME/Desktop");
    m_tree.makeDir("data/Desk");
    m_tree.makeSymlink("Desktop", m_tree.path("data/Desk"));

    EXPECT_EQ(DesktopFolderPath(), m_tree.pathQ("data/Desk/"));
}

TEST_F(DesktopFolder, RawBufferIsThePathOneNulAndBlanksUpTo512Characters)
{
    m_tree.makeDir("Desktop");
    const QString raw = GetSpecialFolderPath(SpecialFolderId::Desktop);
    const QString path = m_tree.pathQ("Desktop");

    ASSERT_EQ(raw.size(), 512);
    EXPECT_EQ(raw.indexOf(QChar(0)), path.size());
    EXPECT_EQ(raw.left(path.size()), path);
    EXPECT_EQ(raw.mid(path.size() + 1), QString(512 - path.size() - 1, u' '));
}

TEST_F(DesktopFolder, A511CharacterPathFillsTheBufferAndALongerOneCannotBeHad)
{
    // Home folders of exactly 511 and 512 characters, without a desktop inside.
    const std::string fits = folderOfLength(m_tree, "h", 511);
    const std::string tooLong = folderOfLength(m_tree, "l", 512);

    {
        const ScopedEnv home("HOME", fits);
        const QString raw = GetSpecialFolderPath(SpecialFolderId::Desktop);
        ASSERT_EQ(raw.size(), 512);
        EXPECT_EQ(raw.back(), QChar(0));
        EXPECT_EQ(DesktopFolderPath(), QString::fromStdString(fits + "/"));
    }
    const ScopedEnv home("HOME", tooLong);
    EXPECT_TRUE(GetSpecialFolderPath(SpecialFolderId::Desktop).isEmpty());
    try {
        DesktopFolderPath();
        ADD_FAILURE() << "a path over 511 characters was returned";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 5);
    }
}

TEST_F(DesktopFolder, TheRootFolderKeepsASingleSeparator)
{
    const ScopedEnv home("HOME", "/");
    nameDesktop("$HOME/no such desktop here");

    EXPECT_EQ(DesktopFolderPath(), "/");
}

TEST(GetSpecialFolderPath, FoldersThisPlatformDoesNotHaveAreEmpty)
{
    EXPECT_TRUE(GetSpecialFolderPath(SpecialFolderId::Favorites).isEmpty());
    EXPECT_TRUE(GetSpecialFolderPath(SpecialFolderId::Network).isEmpty());
    EXPECT_TRUE(GetSpecialFolderPath(-1).isEmpty());
}

TEST(FileExists, IsTrueExactlyForEntriesThatCanBeStated)
{
    TempTree tree;
    tree.makeFile("file", 3);
    tree.makeDir("folder");
    tree.makeSymlink("dangling", tree.path("nothing"));
    const QString withNul = tree.pathQ("file") + QChar(0) + "tail";

    EXPECT_TRUE(FileExists(tree.pathQ("file")));
    EXPECT_TRUE(FileExists(tree.pathQ("folder")));
    EXPECT_FALSE(FileExists(tree.pathQ("missing")));
    EXPECT_FALSE(FileExists(tree.pathQ("dangling")));
    EXPECT_FALSE(FileExists(QString()));
    EXPECT_FALSE(FileExists(withNul)) << "the text before the NUL names a real file";
}

TEST(CenterWindow, CentresOnTheScreenKeepingTheSize)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_NE(screen, nullptr);
    const QRect area = screen->geometry();
    QWidget window;
    window.resize(200, 100);
    CenterWindow(&window);

    EXPECT_EQ(window.frameGeometry().topLeft(),
              area.topLeft() + QPoint((area.width() - 200) / 2, (area.height() - 100) / 2));
    EXPECT_EQ(window.size(), QSize(200, 100));

    window.resize(area.width() + 400, area.height() + 60);
    CenterWindow(&window);
    EXPECT_EQ(window.frameGeometry().topLeft(), area.topLeft() + QPoint(-200, -30));
}

TEST(CenterWindow, ANullWindowIsAnErrorNotACrash)
{
    try {
        CenterWindow(nullptr);
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 91);
    }
}

} // namespace
