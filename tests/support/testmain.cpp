#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

// Mounts the tests make (small tmpfs volumes) then live in a mount table of this process's
// own, which the kernel drops when the process ends, however it ends (a timeout, Ctrl-C).
// Taken before any thread starts, as a thread keeps the table it started with; without root
// the tests that mount skip as before.
void takePrivateMountTable()
{
    if (::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0)
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
}

} // namespace

// gtest_discover_tests runs the binary at build time without the test environment,
// so the platform must be chosen here, before the application object exists.
int main(int argc, char **argv)
{
    takePrivateMountTable();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // Without a runtime folder Qt makes one in the temporary folder that outlives the run; this
    // one goes with the program. Children (death tests) inherit it.
    std::unique_ptr<QTemporaryDir> runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtime = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/test-runtime-XXXXXX");
        if (runtime->isValid())
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime->path()));
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
