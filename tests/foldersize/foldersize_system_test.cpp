// The scanner against the system around it: permissions, descriptor limits, mounts.

#include "foldersize/foldersize.h"
#include "scantestsupport.h"
#include "support/temptree.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr uid_t Nobody = 65534;

TEST(FolderSize, AFolderThatCannotBeOpenedCountsZeroAndItsSiblingsCount)
{
    TempTree tree;
    tree.makeFile("a/own", 10);
    tree.makeFile("a/sibling/file", 20);
    tree.makeFile("a/locked/secret", 1000);
    tree.makeFile("a/locked/deeper/more", 2000);
    ASSERT_EQ(chmod(tree.path("a/locked").c_str(), 0), 0);
    // The root reads every folder, so it checks as an unprivileged user in a child process.
    ASSERT_EQ(chmod(tree.root().c_str(), 0755), 0);

    const auto scanAsUnprivilegedUser = [&] {
        if (geteuid() == 0 && (setgid(Nobody) != 0 || setuid(Nobody) != 0))
            return std::string("skip");
        return std::to_string(FolderSize(tree.path("a")).bytes()) + " " +
               std::to_string(FolderSize(tree.path("a/locked")).bytes());
    };
    const std::string result = runInChild(scanAsUnprivilegedUser);
    if (result == "skip")
        GTEST_SKIP() << "running as root, which reads every folder, and cannot become nobody";
    EXPECT_EQ(result, "30 0");
}

// A tree deeper than the descriptors the process may still open: each level holds a file,
// a side folder and the next level. A side folder listed after the next level is reached
// only after the deep branch, when its level has had to give up its descriptor.
TEST(FolderSize, CountsATreeDeeperThanTheDescriptorLimit)
{
    TempTree tree;
    constexpr int Depth = 40;
    std::string level;
    std::int64_t expected = 0;
    for (int i = 0; i < Depth; ++i) {
        // Names and creation order vary, so that on any file system some levels list their
        // side folder before the next level and some after it.
        const std::string next = level + "next" + std::to_string(i);
        if (i % 2)
            tree.makeDir(next);
        tree.makeFile(level + "side" + std::to_string(i) + "/leaf", 1000);
        tree.makeFile(level + "file", i + 1);
        expected += i + 1 + 1000;
        level = next + "/";
    }

    // Leaves room for four more descriptors.
    std::set<int> used;
    if (DIR *fds = opendir("/proc/self/fd")) {
        while (const dirent *entry = readdir(fds))
            if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != dirfd(fds))
                used.insert(std::atoi(entry->d_name));
        closedir(fds);
    }
    int limit = 0;
    for (int free = 0; free < 4; ++limit)
        free += used.count(limit) == 0;
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(limit);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> probes;
    for (int fd; (fd = open("/", O_RDONLY | O_DIRECTORY)) >= 0;)
        probes.push_back(fd);
    const int room = int(probes.size());
    for (int fd : probes)
        close(fd);
    const std::int64_t total = FolderSize(tree.root()).bytes();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);

    ASSERT_EQ(room, 4) << "the limit leaves exactly four descriptors";
    EXPECT_EQ(total, expected);
}

std::string mountedType(const std::string &mountPoint)
{
    std::ifstream mounts("/proc/mounts");
    std::string device, point, type, rest;
    std::string found;
    while (mounts >> device >> point >> type && std::getline(mounts, rest))
        if (point == mountPoint)
            found = type; // the last mount on a point is the one seen
    return found;
}

TEST(FolderSize, NeverEntersKernelPseudoFilesystems)
{
    struct Case {
        const char *path;
        const char *mountPoint;
        const char *type;
    };
    const Case cases[] = {
        {"/proc", "/proc", "proc"},   {"/proc/self/", "/proc", "proc"},   {"/sys", "/sys", "sysfs"},
        {"/dev", "/dev", "devtmpfs"}, {"/dev/pts", "/dev/pts", "devpts"},
    };
    int checked = 0;
    for (const Case &c : cases) {
        if (mountedType(c.mountPoint) != c.type)
            continue; // not mounted that way here
        ++checked;
        int calls = 0;
        const SizeAmount total = FolderSize(c.path, [&] {
            ++calls;
            return ScanControl::Continue;
        });
        EXPECT_EQ(total.bytes(), 0) << c.path;
        EXPECT_EQ(calls, 0) << "entries of " << c.path << " were read";
    }
    if (checked == 0)
        GTEST_SKIP() << "no kernel pseudo filesystem mounted here";
}

// Becomes root of a private mount table: directly when root, otherwise as the owner of new
// user and network namespaces (the network one lets sysfs be mounted there).
bool enterPrivateMountTable()
{
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (uid == 0)
        return unshare(CLONE_NEWNS) == 0 &&
               mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0)
        return false;
    const auto write = [](const char *file, const std::string &text) {
        std::ofstream out(file);
        return bool(out << text << std::flush);
    };
    return write("/proc/self/setgroups", "deny") &&
           write("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
           write("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
}

TEST(FolderSize, StopsAtPseudoFilesystemMountsButEntersTmpfsMounts)
{
    TempTree tree;
    tree.makeFile("own", 10);
    tree.makeDir("pseudo");
    tree.makeDir("memory");
    ASSERT_EQ(chmod(tree.root().c_str(), 0755), 0);

    const auto scanWithMounts = [&] {
        if (!enterPrivateMountTable())
            return std::string("skip: no private mount table");
        if (mount("tmpfs", tree.path("memory").c_str(), "tmpfs", 0, nullptr) != 0)
            return std::string("skip: cannot mount tmpfs");
        const int fd = open(tree.path("memory/held").c_str(), O_WRONLY | O_CREAT, 0644);
        if (fd < 0 || ftruncate(fd, 500) != 0)
            return std::string("skip: cannot write on tmpfs");
        close(fd);
        const std::string pseudo = tree.path("pseudo");
        if (mount("proc", pseudo.c_str(), "proc", 0, nullptr) != 0 &&
            mount("sysfs", pseudo.c_str(), "sysfs", 0, nullptr) != 0)
            return std::string("skip: cannot mount proc or sysfs");
        int calls = 0;
        const std::int64_t total = FolderSize(tree.root(), [&] {
                                       ++calls;
                                       return ScanControl::Continue;
                                   }).bytes();
        return std::to_string(total) + " " + std::to_string(calls);
    };
    const std::string result = runInChild(scanWithMounts);
    if (result.starts_with("skip"))
        GTEST_SKIP() << result;
    // own, pseudo, memory and memory/held: nothing inside the pseudo filesystem.
    EXPECT_EQ(result, "510 4");
}

} // namespace
