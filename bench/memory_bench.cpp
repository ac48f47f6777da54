// Measures what the size memory saves the scanner, on the synthetic 500k tree (built by
// bench/compare-du.sh) and /usr, in one run:
//
//   memory_bench
//
// For each tree, RUNS rounds (5 unless set, at least 3), each with a memory of its own that
// starts empty, warm cache, timing FolderSize:
//   first   the tree with the memory (against off: the same with none, right before); the
//           memory then builds itself in the background, and the bench waits for that (timed
//           as "built", from the end of the first walk)
//   again   the tree again
//   drill   its largest subfolder right after (against the same with the memory off)
//   change  the tree again after one byte was added 8 levels down (appended to a file of the
//           bench tree; in /usr a file of one byte made there and removed afterwards)
// Every total is checked against a walk with the memory off in the same round. It prints, as
// medians over the rounds with their spread:
//   again-ratio <tree>   again / first
//   drill-ratio <tree>   drill / drill with the memory off
//   change-ratio <tree>  change / first
//   first-ratio <tree>   first / off: what the memory costs a walk it has not seen
//   first-cpu-ratio <tree>  the same in the process's processor time, which a machine shared
//                        with other work disturbs less than the wall clock
//   built-ratio <tree>   the time the memory took to build itself after the first walk / off
//   bytes-per-folder <tree>  heap the memory holds per folder it holds (table, hash maps); the
//                            kernel's own watch records are not process memory
//   watches <tree>       inotify watches it holds for the tree
// Any mount or unmount on the machine makes the memory forget every total (by design): a
// round in which the mount table changed is named, and its again, drill and change ratios are
// left out (`disturbed <tree> N of M rounds`).

#include "foldersize/foldersize.h"
#include "foldersize/sizememory.h"
#include "foldersize/sizescan.h"
#include "posix/mounttable.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // large blocks are mapped apart from the heap
}

bool isFolder(const std::string &path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> subfoldersOf(const std::string &path)
{
    std::vector<std::string> found;
    if (DIR *listing = opendir(path.c_str())) {
        while (const dirent *entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != ".." && isFolder(path + "/" + name))
                found.push_back(path + "/" + name);
        }
        closedir(listing);
    }
    std::sort(found.begin(), found.end());
    return found;
}

double processorSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Whether the mount table changed since the watch was made: the memory then forgot every
// total, by design, and what the round timed after that is a walk of everything.
class MountTableWatch {
public:
    bool changed() const { return MountTableChanges::shared().count() != m_seen; }

private:
    std::uint64_t m_seen = MountTableChanges::shared().count();
};

struct Timed {
    std::int64_t bytes = 0;
    double seconds = 0;
    double processor = 0; // the whole process's processor time meanwhile
};

Timed timedSize(const std::string &path, const std::shared_ptr<SizeMemory> &memory)
{
    const double processorStart = processorSeconds();
    const auto start = Clock::now();
    const std::int64_t bytes = FolderSizeUsing(path, nullptr, memory).bytes();
    return {bytes, std::chrono::duration<double>(Clock::now() - start).count(),
            processorSeconds() - processorStart};
}

// The largest subfolder, sized in one scan through memory (remembered totals: no walk).
std::string largestSubfolder(const std::string &tree, const std::shared_ptr<SizeMemory> &memory)
{
    const std::vector<std::string> folders = subfoldersOf(tree);
    SizeScanOptions options;
    options.memory = memory;
    const std::vector<FolderTotal> totals = SizeScanTotals(folders, options);
    const auto largest =
        std::max_element(totals.begin(), totals.end(), [](const auto &a, const auto &b) {
            return a.bytes.bytes() < b.bytes.bytes();
        });
    return largest == totals.end() ? tree : folders[std::size_t(largest - totals.begin())];
}

// A folder 8 levels below tree (or as deep as it goes), first in name order at each level.
std::string folderEightDown(const std::string &tree)
{
    std::string at = tree;
    for (int level = 0; level < 8; ++level) {
        const std::vector<std::string> below = subfoldersOf(at);
        if (below.empty())
            break;
        at = below.front();
    }
    return at;
}

// Adds one byte 8 levels down: appended to a regular file there, or (system trees) a file of
// one byte made there; returns what undo() needs.
struct Change {
    std::string made; // a file to remove afterwards
    bool apply(const std::string &tree, bool appendToExisting)
    {
        const std::string folder = folderEightDown(tree);
        if (appendToExisting) {
            if (DIR *listing = opendir(folder.c_str())) {
                std::string file;
                while (const dirent *entry = readdir(listing)) {
                    struct stat st;
                    const std::string path = folder + "/" + entry->d_name;
                    if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1) {
                        file = path;
                        break;
                    }
                }
                closedir(listing);
                if (!file.empty()) {
                    const int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
                    const bool written = fd >= 0 && write(fd, "x", 1) == 1;
                    if (fd >= 0)
                        close(fd);
                    return written;
                }
            }
        }
        made = folder + "/quorvane-memory-bench-change";
        const int fd = open(made.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        const bool written = fd >= 0 && write(fd, "x", 1) == 1;
        if (fd >= 0)
            close(fd);
        return written;
    }
    void undo()
    {
        if (!made.empty())
            unlink(made.c_str());
        made.clear();
    }
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void printRatio(const char *name, const std::string &tree, const std::vector<double> &values)
{
    if (values.empty()) {
        std::printf("%s %s none (no round to take it from)\n", name, tree.c_str());
        return;
    }
    std::printf("%s %s %.4f (min %.4f, max %.4f, %zu rounds)\n", name, tree.c_str(), median(values),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()), values.size());
}

bool measure(const std::string &tree, bool benchTree, int rounds)
{
    const auto off = std::make_shared<SizeMemory>(SizeMemorySettings{.enabled = false});
    timedSize(tree, off); // warms the cache and starts the scan pool
    bool allEqual = true;
    const auto check = [&](const char *what, std::int64_t found, std::int64_t fresh) {
        if (found != fresh) {
            allEqual = false;
            std::printf("DIFFERENT %s %s: memory %lld, fresh walk %lld\n", what, tree.c_str(),
                        static_cast<long long>(found), static_cast<long long>(fresh));
        }
    };
    std::vector<double> again, drill, change, first, firstProcessor, built, bytesPerFolder;
    std::size_t watches = 0;
    long budget = 0;
    int disturbed = 0;
    for (int round = 0; round < rounds; ++round) {
        MountTableWatch mounts;
        const Timed fresh = timedSize(tree, off);
        const std::size_t heapBefore = heapInUse();
        auto memory = std::make_shared<SizeMemory>(SizeMemorySettings::fromEnvironment());
        const Timed firstWalk = timedSize(tree, memory);
        const auto buildStart = Clock::now();
        if (!memory->waitBuilt(std::chrono::minutes(10))) {
            std::printf("built %s: the memory did not finish building within 10 minutes\n",
                        tree.c_str());
            allEqual = false;
        }
        const double builtSeconds =
            std::chrono::duration<double>(Clock::now() - buildStart).count();
        built.push_back(builtSeconds / fresh.seconds);
        const std::size_t heapAfter = heapInUse();
        const SizeMemory::Usage usage = memory->usage();
        const Timed againWalk = timedSize(tree, memory);
        check("first", firstWalk.bytes, fresh.bytes);
        check("again", againWalk.bytes, fresh.bytes);
        first.push_back(firstWalk.seconds / fresh.seconds);
        firstProcessor.push_back(firstWalk.processor / fresh.processor);
        if (usage.folders > 0)
            bytesPerFolder.push_back(double(heapAfter - heapBefore) / double(usage.folders));
        watches = usage.folders;
        budget = usage.watchBudget;

        const std::string largest = largestSubfolder(tree, memory);
        const Timed drillOn = timedSize(largest, memory);
        const Timed drillOff = timedSize(largest, off);
        check("drill", drillOn.bytes, drillOff.bytes);

        Change changed;
        Timed changeWalk;
        if (!changed.apply(tree, benchTree)) {
            std::printf("change-ratio %s: could not add a byte 8 levels down\n", tree.c_str());
            allEqual = false;
        } else {
            changeWalk = timedSize(tree, memory);
            check("change", changeWalk.bytes, timedSize(tree, off).bytes);
        }
        changed.undo();
        memory->waitBuilt(std::chrono::minutes(10)); // nothing left running into the next round
        const bool mounted = mounts.changed();
        std::printf("round %d %s: off %.3f s, first %.3f s, built %.3f s, again %.5f s, drill "
                    "%.5f s (off %.3f s), change %.5f s%s\n",
                    round + 1, tree.c_str(), fresh.seconds, firstWalk.seconds, builtSeconds,
                    againWalk.seconds, drillOn.seconds, drillOff.seconds, changeWalk.seconds,
                    mounted ? " (the mount table changed)" : "");
        if (mounted) {
            ++disturbed;
            continue;
        }
        again.push_back(againWalk.seconds / firstWalk.seconds);
        drill.push_back(drillOn.seconds / drillOff.seconds);
        if (changeWalk.seconds > 0)
            change.push_back(changeWalk.seconds / firstWalk.seconds);
    }
    if (disturbed > 0)
        std::printf("disturbed %s %d of %d rounds: a mount or unmount elsewhere on the machine "
                    "made the memory forget; their again, drill and change ratios are left out\n",
                    tree.c_str(), disturbed, rounds);
    printRatio("again-ratio", tree, again);
    printRatio("drill-ratio", tree, drill);
    printRatio("change-ratio", tree, change);
    printRatio("first-ratio", tree, first);
    printRatio("first-cpu-ratio", tree, firstProcessor);
    printRatio("built-ratio", tree, built);
    if (!bytesPerFolder.empty())
        std::printf("bytes-per-folder %s %.0f (min %.0f, max %.0f)\n", tree.c_str(),
                    median(bytesPerFolder),
                    *std::min_element(bytesPerFolder.begin(), bytesPerFolder.end()),
                    *std::max_element(bytesPerFolder.begin(), bytesPerFolder.end()));
    std::printf("watches %s %zu (budget %ld)\n", tree.c_str(), watches, budget);
    std::printf("check %s %s\n", tree.c_str(),
                allEqual ? "every total equal to a walk without memory" : "DIFFERENT");
    return allEqual;
}

} // namespace

int main()
{
    const char *cache = std::getenv("XDG_CACHE_HOME");
    const char *home = std::getenv("HOME");
    const std::string base = cache && *cache ? cache : std::string(home ? home : "") + "/.cache";
    const std::string benchTree = base + "/quorvane-bench/tree-500k";
    const char *runs = std::getenv("RUNS");
    const int rounds = std::max(3, runs ? std::atoi(runs) : 5);
    int status = 0;
    for (const std::string &tree : {benchTree, std::string("/usr")}) {
        if (!isFolder(tree)) {
            std::fprintf(stderr,
                         "memory_bench: %s is missing (bench/compare-du.sh builds the synthetic "
                         "tree once)\n",
                         tree.c_str());
            status = 1;
            continue;
        }
        if (!measure(tree, tree == benchTree, rounds))
            status = 1;
    }
    return status;
}
