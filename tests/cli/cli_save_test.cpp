#include "export/savetesting.h"
#include "support/runtimefolder.h"

#include <QProcess>
#include <chrono>
#include <csignal>
#include <thread>

using namespace savetesting;

namespace {

// The program as a script runs it: in `folder`, without a display, as `user` when given.
void start(QProcess *program, const std::string &folder, const QStringList &arguments,
           bool asOrdinaryUser = false)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    if (asOrdinaryUser && ::geteuid() == 0)
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), userRuntimeFolder(folder, nobody));
    program->setProcessEnvironment(environment);
    // Progress lines are of no interest; unread they could fill the pipe and stop the program.
    program->setStandardOutputFile(QProcess::nullDevice());
    program->setWorkingDirectory(QFile::decodeName(folder.c_str()));
    if (asOrdinaryUser && ::geteuid() == 0)
        program->start(QStringLiteral("setpriv"),
                       QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                   QStringLiteral(QUORVANE_EXECUTABLE)} +
                           arguments);
    else
        program->start(QStringLiteral(QUORVANE_EXECUTABLE), arguments);
    ASSERT_TRUE(program->waitForStarted());
}

// Whether the process holds open a file being written in `folder`: a nameless one (which
// /proc shows as "#inode (deleted)") or one named ".out.xlsx.<random>~".
bool writingIn(qint64 pid, const std::string &folder)
{
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd/";
    for (int fd = 0; fd < 64; ++fd) {
        char target[4096];
        const ssize_t length =
            ::readlink((fds + std::to_string(fd)).c_str(), target, sizeof target);
        const std::string_view name(target, size_t(std::max<ssize_t>(length, 0)));
        if (name.starts_with(folder + "/#") || name.starts_with(folder + "/.out.xlsx."))
            return true;
    }
    return false;
}

} // namespace

TEST(CommandLineSave, ASigtermWhileAWorkbookIsWrittenLeavesNoStrayFile)
{
    TempTree tree;
    tree.makeFile("Data/Alpha/a", 3000);
    tree.makeFile("Data/Beta/b", 2000);
    writeFile(tree.path("out.xlsx"), "old", 0644);
    QProcess program;
    start(&program, tree.root(), {"--xlsx", "out.xlsx", "--size", "4096x4096", "Data"});
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!writingIn(program.processId(), tree.root()) && program.state() == QProcess::Running &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_TRUE(writingIn(program.processId(), tree.root())) << "caught it writing";
    ::kill(pid_t(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::CrashExit) << "ended by the signal";
    EXPECT_EQ(entries(tree.root()),
              (QStringList{QStringLiteral("Data"), QStringLiteral("out.xlsx")}));
    EXPECT_EQ(contents(tree.path("out.xlsx")), QByteArray("old"));
}

TEST(CommandLineSave, AReadOnlyFileIsRefusedWithExitOne)
{
    TempTree tree;
    tree.makeFile("Data/Alpha/a", 3000);
    const std::string folder = ordinaryUsersFolder(tree, "mine");
    ::chmod(tree.path("Data").c_str(), 0755);
    ::chmod(tree.path("Data/Alpha").c_str(), 0755);
    writeFile(folder + "/ro.txt", "kept", 0444);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown((folder + "/ro.txt").c_str(), nobody, nobody), 0);
    }
    QProcess program;
    start(&program, tree.root(), {"--text", "mine/ro.txt", "Data"}, true);
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardError(),
              "quorvane: cannot write mine/ro.txt: Permission denied\n");
    EXPECT_EQ(contents(folder + "/ro.txt"), QByteArray("kept"));
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("ro.txt")});
}
