// The scanner against the system around it: permissions, descriptor limits, mounts.

#include "foldersize/foldersize.h"
#include "foldersize/scanpool.h"
#include "foldersize/sizememory.h"
#include "foldersize/sizescan.h"
#include "scantestsupport.h"
#include "support/temptree.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstddef>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <mutex>
#include <sched.h>
#include <set>
#include <string>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
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

std::string deepLevelName(int level)
{
    return std::string(90, 'n') + std::to_string(level);
}

// Levels made one at a time through descriptors, as no path reaches the bottom, with names
// long enough that the deepest path is many times PATH_MAX. Every tenth level also holds a
// file and a side folder with a leaf, and every level `files` more small files. Returns the
// total.
std::int64_t makeDeepTree(const std::string &root, int depth, int files)
{
    std::int64_t total = 0;
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    const auto makeFile = [&](int at, const char *name, std::int64_t length) {
        const int file = openat(at, name, O_WRONLY | O_CREAT, 0644);
        if (file >= 0 && ftruncate(file, length) == 0)
            total += length;
        close(file);
    };
    for (int i = 0; i < depth && fd >= 0; ++i) {
        const std::string next = deepLevelName(i);
        // Creation order varies, so that some levels list their side folder before the next
        // level and some after it.
        if (i % 20 == 10)
            mkdirat(fd, next.c_str(), 0755);
        if (i % 10 == 0) {
            const std::string side = "side" + std::to_string(i);
            mkdirat(fd, side.c_str(), 0755);
            const int sideFd = openat(fd, side.c_str(), O_RDONLY | O_DIRECTORY);
            makeFile(sideFd, "leaf", 1000);
            close(sideFd);
            makeFile(fd, "file", i + 1);
        }
        for (int file = 0; file < files; ++file)
            makeFile(fd, ("x" + std::to_string(file)).c_str(), 3);
        mkdirat(fd, next.c_str(), 0755);
        const int nextFd = openat(fd, next.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = nextFd;
    }
    close(fd);
    return total;
}

// Removes what makeDeepTree made, in one pass down and one up.
void removeDeepTree(const std::string &root, int depth, int files)
{
    int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < depth && fd >= 0; ++i) {
        for (int file = 0; file < files; ++file)
            unlinkat(fd, ("x" + std::to_string(file)).c_str(), 0);
        if (i % 10 == 0) {
            const std::string side = "side" + std::to_string(i);
            const int sideFd = openat(fd, side.c_str(), O_RDONLY | O_DIRECTORY);
            unlinkat(sideFd, "leaf", 0);
            close(sideFd);
            unlinkat(fd, side.c_str(), AT_REMOVEDIR);
            unlinkat(fd, "file", 0);
        }
        const int next = openat(fd, deepLevelName(i).c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = next;
    }
    for (int i = depth - 1; i >= 0 && fd >= 0; --i) {
        const int parent = openat(fd, "..", O_RDONLY | O_DIRECTORY);
        close(fd);
        unlinkat(parent, deepLevelName(i).c_str(), AT_REMOVEDIR);
        fd = parent;
    }
    close(fd);
}

// Limits the process to its open descriptors and `room` more.
rlimit leaveRoomFor(int room)
{
    std::set<int> used;
    if (DIR *fds = opendir("/proc/self/fd")) {
        while (const dirent *entry = readdir(fds))
            if (entry->d_name[0] != '.' && std::atoi(entry->d_name) != dirfd(fds))
                used.insert(std::atoi(entry->d_name));
        closedir(fds);
    }
    int limit = 0;
    for (int free = 0; free < room; ++limit)
        free += used.count(limit) == 0;
    rlimit saved;
    getrlimit(RLIMIT_NOFILE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = rlim_t(limit);
    setrlimit(RLIMIT_NOFILE, &tight);
    return saved;
}

// A folder for a tree of thousands of levels, on tmpfs where there is one: a disk file system
// takes seconds to make and remove them. The tree is removed with it.
class DeepTree {
public:
    explicit DeepTree(int depth, int filesPerLevel = 0) : m_depth(depth), m_files(filesPerLevel)
    {
        char pattern[] = "/dev/shm/quorvane-deep-XXXXXX";
        m_root = mkdtemp(pattern) ? std::string(pattern) : m_fallback.root();
        m_total = makeDeepTree(m_root, depth, filesPerLevel);
    }
    ~DeepTree()
    {
        removeDeepTree(m_root, m_depth, m_files);
        if (m_root != m_fallback.root())
            rmdir(m_root.c_str());
    }
    const std::string &root() const { return m_root; }
    std::int64_t total() const { return m_total; }

private:
    TempTree m_fallback;
    int m_depth;
    int m_files;
    std::string m_root;
    std::int64_t m_total = 0;
};

// Thousands of levels, paths far over PATH_MAX: counted fully, holding a few descriptors per
// worker however deep the walk goes, and exactly also when the process may open only four
// more descriptors.
TEST(FolderSize, CountsAVeryDeepTreeWithFewDescriptors)
{
    constexpr int Depth = 3000;
    const DeepTree tree(Depth);
    const std::int64_t expected = tree.total();
    ASSERT_EQ(expected, 300 * 1000 + 300 * 1496); // 1 + 11 + ... + 2991

    const int descriptorsBefore = openDescriptorCount();
    int most = 0;
    const std::int64_t total = totalWithin(tree.root(), std::chrono::minutes(5), [&] {
        most = std::max(most, openDescriptorCount() - descriptorsBefore);
    });
    EXPECT_EQ(total, expected);
    EXPECT_LE(most, 6 * ScanThreadCount() + 2);

    const rlimit saved = leaveRoomFor(4);
    std::vector<int> probes;
    for (int fd; (fd = open("/", O_RDONLY | O_DIRECTORY)) >= 0;)
        probes.push_back(fd);
    const int room = int(probes.size());
    for (int fd : probes)
        close(fd);
    const std::int64_t limited = FolderSize(tree.root()).bytes();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);

    ASSERT_EQ(room, 4) << "the limit leaves exactly four descriptors";
    EXPECT_EQ(limited, expected);
}

// A folder named by a path longer than the system takes in one call (a subfolder of a deep
// folder the user charts) is opened in steps and counted, as du counts it.
TEST(FolderSize, ANamedFolderPastPathMaxIsCounted)
{
    const DeepTree tree(60);
    std::string path = tree.root();
    for (int level = 0; level < 50; ++level)
        path += "/" + deepLevelName(level);
    ASSERT_GT(path.size(), std::size_t(PATH_MAX));
    EXPECT_EQ(FolderSize(path).bytes(), 51 + 1000); // its file and its side folder's leaf
}

// The name a fresh folder lists first, which the walk enters first.
std::string firstListed(const std::string &folder)
{
    std::string first;
    if (DIR *dir = opendir(folder.c_str())) {
        while (const dirent *entry = readdir(dir))
            if (entry->d_name[0] != '.' && first.empty())
                first = entry->d_name;
        closedir(dir);
    }
    return first;
}

// With one worker, whose four held descriptors the walk into a deep chain takes from the
// shallow folders, the folder after the chain is reached by opening its ancestors again, from
// the root's path. A tree moved into the place of one of them meanwhile (p, or the root
// itself) is not counted.
TEST(FolderSize, AnAncestorOpenedAgainOnTheWayDownMustBeTheSameFolder)
{
    for (const std::string replaced : {"p", ""}) {
        TempTree tree;
        TempTree elsewhere;
        const std::string below = replaced.empty() ? "" : replaced + "/";
        tree.makeDir(below + "a");
        tree.makeDir(below + "b");
        const std::string first = firstListed(tree.path(replaced));
        const std::string second = first == "a" ? "b" : "a";
        std::string chain = below + first;
        for (int i = 0; i < 12; ++i)
            chain += "/l" + std::to_string(i);
        tree.makeFile(chain + "/bottom", 1);
        tree.makeFile(below + "own", 10);
        tree.makeFile(below + second + "/later", 100);
        tree.makeFile("top", 1000);
        struct stat bottom;
        ASSERT_EQ(stat(tree.path(chain).c_str(), &bottom), 0);

        const auto scanWithOneWorker = [&] {
            setenv("QUORVANE_SCAN_THREADS", "1", 1);
            const auto reader = std::make_shared<TestDirectoryReader>();
            bool done = false;
            reader->beforeRead = [&](int fd) {
                struct stat st;
                if (done || fstat(fd, &st) != 0 || st.st_ino != bottom.st_ino)
                    return;
                done = rename(tree.path(replaced).c_str(), elsewhere.path("moved").c_str()) == 0;
                tree.makeFile(below + second + "/impostor", 1000000);
            };
            const std::int64_t total = FolderSizeUsing(tree.root(), reader).bytes();
            return done ? std::to_string(total) : std::string("not replaced");
        };
        // What was read before the move, and nothing of the folder that took its place.
        EXPECT_EQ(runInChild(scanWithOneWorker), "1011") << "replaced " << replaced;
    }
}

// Two scans at once share the process's descriptors: one that finds none free makes the other
// give one up rather than count a folder 0. Here a scan of a 1,100-level tree of many files
// runs while a 3,000-level tree is scanned, with 64 descriptors in all.
TEST(FolderSize, TwoScansAtOnceWithSixtyFourDescriptorsAreBothExact)
{
#ifdef __SANITIZE_ADDRESS__
    // With every descriptor in use, the sanitizers' own type checks, which probe memory through
    // a pipe, fail and report a fault that is not there.
    GTEST_SKIP() << "every descriptor in use: the sanitizers' type checks need some";
#endif
    const DeepTree wide(1100, 40);
    const DeepTree deep(3000);
    const auto scanBoth = [&] {
        const rlimit tight{64, 64};
        if (setrlimit(RLIMIT_NOFILE, &tight) != 0)
            return std::string("skip: cannot limit descriptors");
        std::mutex lock;
        std::condition_variable done;
        std::int64_t wideTotal = -1;
        const auto scan =
            SizeScan::start({wide.root()}, [&](std::size_t, const FolderTotal &total) {
                const std::lock_guard guard(lock);
                wideTotal = total.bytes.bytes();
                done.notify_all();
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::int64_t deepTotal = FolderSize(deep.root()).bytes();
        std::unique_lock guard(lock);
        done.wait_for(guard, std::chrono::seconds(60), [&] { return wideTotal >= 0; });
        return std::to_string(wideTotal) + " " + std::to_string(deepTotal);
    };
    const std::string result = runInChild(scanBoth);
    if (result.starts_with("skip"))
        GTEST_SKIP() << result;
    EXPECT_EQ(result, std::to_string(wide.total()) + " " + std::to_string(deep.total()));
}

// A scan stuck in a read (not stopped) holds descriptors another scan needs. Those it keeps
// between uses are taken from it; those in use are waited for rather than the folder counted 0.
TEST(FolderSize, AScanStuckInACallGivesUpItsIdleDescriptorsAndBusyOnesAreWaitedFor)
{
#ifdef __SANITIZE_ADDRESS__
    // With every descriptor in use, the sanitizers' own type checks, which probe memory through
    // a pipe, fail and report a fault that is not there.
    GTEST_SKIP() << "every descriptor in use: the sanitizers' type checks need some";
#endif
    TempTree chain;
    TempTree wide;
    TempTree other;
    std::string level;
    for (int i = 0; i < 100; ++i)
        level += "c/";
    chain.makeFile(level + "bottom", 1);
    for (int i = 0; i < 20; ++i) {
        wide.makeFile("w" + std::to_string(i) + "/f", 2);
        other.makeFile("o" + std::to_string(i) + "/f", 3);
    }
    struct stat wideRoot;
    ASSERT_EQ(stat(wide.root().c_str(), &wideRoot), 0);
    const auto scanBeside = [&](bool busy) {
        Gate &gate = Gate::make();
        const auto reader = std::make_shared<TestDirectoryReader>();
        if (busy) // every worker that opens a subfolder of wide holds it, reading
            reader->beforeRead = [&gate, &wideRoot](int fd) {
                struct stat st;
                if (fstat(fd, &st) == 0 && st.st_ino != wideRoot.st_ino)
                    gate.wait();
            };
        else // the walk down the chain keeps the descriptors of the levels above
            reader->beforeRead = [&gate, reads = std::make_shared<std::atomic<int>>(0)](int) {
                if (++*reads > 60)
                    gate.wait();
            };
        // Everything that needs a descriptor of its own on the way is done before they run out
        // (the pool's start, and under the sanitizers their first look at each type).
        const std::string warm = std::to_string(FolderSize(other.root()).bytes());
        const auto go = std::make_shared<std::atomic<bool>>(false);
        if (busy) // the busy ones come free a while after the second scan started
            std::thread([&gate, go] {
                while (!*go)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                gate.open();
            }).detach();
        leaveRoomFor(busy ? 8 : 12);
        std::atomic<std::int64_t> stuckTotal{-1};
        SizeScanOptions options;
        options.system = reader;
        const auto stuck = SizeScan::start(
            {busy ? wide.root() : chain.root()},
            [&](std::size_t, const FolderTotal &total) { stuckTotal = total.bytes.bytes(); }, {},
            options);
        for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
             gate.waiting() == 0 && std::chrono::steady_clock::now() < until;)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        *go = true;
        const std::int64_t total = totalWithin(other.root(), std::chrono::seconds(20));
        if (busy)
            for (const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                 stuckTotal < 0 && std::chrono::steady_clock::now() < until;)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return warm + " " + std::to_string(total) + (busy ? " " + std::to_string(stuckTotal) : "");
    };
    EXPECT_EQ(runInChild([&] { return scanBeside(false); }), "60 60");
    EXPECT_EQ(runInChild([&] { return scanBeside(true); }), "60 60 40");
}

// A finished folder opens its parent again through ".." when the parent had to give up its
// descriptor. Moved away meanwhile, its ".." is another folder, which must not stand in for
// the parent: the parent's remaining subfolders are still found at their own place.
TEST(FolderSize, AFolderMovedDuringTheScanDoesNotLeadItsOldParentElsewhere)
{
    TempTree tree;
    TempTree elsewhere;
    for (int i = 0; i < 10; ++i) {
        tree.makeFile("p/s" + std::to_string(i) + "/f", 3);
        elsewhere.makeFile("q/s" + std::to_string(i) + "/f", 50000);
    }
    const std::string first = firstListed(tree.path("p"));
    ASSERT_FALSE(first.empty());
    // Four levels below it: deep enough that p gives up its descriptor, shallow enough that
    // the first subfolder keeps its own to the end.
    std::string chain = "p/" + first;
    for (int i = 0; i < 4; ++i)
        chain += "/l" + std::to_string(i);
    tree.makeFile(chain + "/bottom", 1);
    const std::int64_t expected = referenceTotal(tree.root());
    struct stat bottom;
    ASSERT_EQ(stat(tree.path(chain).c_str(), &bottom), 0);

    const auto scanWithOneWorker = [&] {
        setenv("QUORVANE_SCAN_THREADS", "1", 1);
        const auto reader = std::make_shared<TestDirectoryReader>();
        bool moved = false;
        reader->beforeRead = [&](int fd) {
            struct stat st;
            if (!moved && fstat(fd, &st) == 0 && st.st_ino == bottom.st_ino)
                moved =
                    rename(tree.path("p/" + first).c_str(), elsewhere.path("q/moved").c_str()) == 0;
        };
        const std::int64_t total = FolderSizeUsing(tree.root(), reader).bytes();
        return moved ? std::to_string(total) : std::string("not moved");
    };
    EXPECT_EQ(runInChild(scanWithOneWorker), std::to_string(expected));
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
        const auto reader = std::make_shared<TestDirectoryReader>();
        EXPECT_EQ(FolderSizeUsing(c.path, reader).bytes(), 0) << c.path;
        EXPECT_EQ(reader->reads, 0) << "entries of " << c.path << " were read";
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

// Makes openat2 fail with ENOSYS in every thread of this process, as on kernels before 5.6 and
// in sandboxes whose system call filter predates it.
bool refuseOpenat2()
{
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat2, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (ENOSYS & SECCOMP_RET_DATA)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    const sock_fprog filter = {sizeof program / sizeof program[0], program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           syscall(SYS_seccomp, SECCOMP_SET_MODE_FILTER, SECCOMP_FILTER_FLAG_TSYNC, &filter) == 0;
}

// Also where openat2 is refused, and every subfolder is then stated to find mount points.
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
        const auto scan = [&] {
            const auto reader = std::make_shared<TestDirectoryReader>();
            const std::int64_t total = FolderSizeUsing(tree.root(), reader).bytes();
            return std::to_string(total) + " " + std::to_string(reader->reads);
        };
        const std::string withOpenat2 = scan();
        if (!refuseOpenat2())
            return std::string("skip: cannot filter system calls");
        return withOpenat2 + ", " + scan();
    };
    const std::string result = runInChild(scanWithMounts);
    if (result.starts_with("skip"))
        GTEST_SKIP() << result;
    // Reads of the root and memory, each to its end: none inside the pseudo filesystem.
    EXPECT_EQ(result, "510 4, 510 4");
}

} // namespace
