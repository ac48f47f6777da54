// Times FolderSize on one tree, or builds the synthetic tree that bench/compare-du.sh uses.
//
//   foldersize_bench TREE
//       prints the total in bytes; the time is taken by the caller around the whole process,
//       exactly as it times du, so both pay for their start-up alike.
//   foldersize_bench --stop TREE
//       starts 20 scans of TREE and stops each after 10, 20, ... 200 ms, and prints
//       `stop-return-ms <median> <max>`, the time stop() took to return, and
//       `open-descriptors <before> <after>` for the whole process.
//   foldersize_bench --subfolders TREE
//       sizes every immediate subfolder of TREE in one SizeScan, as a chart of TREE does, and
//       prints the sum of their totals.
//   foldersize_bench --threads
//       prints the number of worker threads a scan uses here.
//   foldersize_bench --make-tree DIR [FILES FOLDERS DEPTH]
//       builds a tree of sparse files (500000 files, 50000 folders, depth 12 by default)
//       in DIR.partial and renames it to DIR when complete, so a broken build is never reused.

#include "foldersize/foldersize.h"
#include "foldersize/scanpool.h"
#include "foldersize/sizescan.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: foldersize_bench TREE\n"
                         "       foldersize_bench --stop TREE\n"
                         "       foldersize_bench --subfolders TREE\n"
                         "       foldersize_bench --threads\n"
                         "       foldersize_bench --make-tree DIR [FILES FOLDERS DEPTH]\n");
    return 2;
}

int scan(const std::string &tree)
{
    std::printf("%lld\n", static_cast<long long>(FolderSize(tree).bytes()));
    return 0;
}

int sizeSubfolders(const std::string &tree)
{
    std::vector<std::string> folders;
    if (DIR *folder = opendir(tree.c_str())) {
        while (const dirent *entry = readdir(folder))
            if (entry->d_type == DT_DIR && std::strcmp(entry->d_name, ".") != 0 &&
                std::strcmp(entry->d_name, "..") != 0)
                folders.push_back(tree + "/" + entry->d_name);
        closedir(folder);
    }
    std::mutex lock;
    std::condition_variable finished;
    bool done = false;
    SizeAmount sum;
    const auto scan = SizeScan::start(
        folders,
        [&](std::size_t, const FolderTotal &total) {
            const std::lock_guard guard(lock);
            sum.tryAdd(total.bytes);
        },
        [&] {
            const std::lock_guard guard(lock);
            done = true;
            finished.notify_all();
        });
    std::unique_lock guard(lock);
    finished.wait(guard, [&] { return done; });
    std::printf("%lld in %zu subfolders\n", static_cast<long long>(sum.bytes()), folders.size());
    return 0;
}

int openDescriptors()
{
    int count = 0;
    if (DIR *folder = opendir("/proc/self/fd")) {
        while (readdir(folder))
            ++count;
        closedir(folder);
    }
    return count;
}

int stopTimes(const std::string &tree)
{
    using Clock = std::chrono::steady_clock;
    const int before = openDescriptors();
    std::vector<double> returnMs;
    for (int trial = 1; trial <= 20; ++trial) {
        const auto finished = std::make_shared<std::atomic<bool>>(false);
        const auto walk = SizeScan::start({tree}, {}, [finished] { *finished = true; });
        std::this_thread::sleep_for(std::chrono::milliseconds(10 * trial));
        const Clock::time_point stopped = Clock::now();
        walk->stop();
        if (!*finished) // a scan that ended first has no stop to time
            returnMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - stopped).count());
    }
    if (returnMs.empty()) {
        std::fprintf(stderr, "foldersize_bench: %s is scanned before the first stop\n",
                     tree.c_str());
        return 1;
    }
    std::sort(returnMs.begin(), returnMs.end());
    std::printf("stop-return-ms %.1f %.1f (%zu stops)\n", returnMs[returnMs.size() / 2],
                returnMs.back(), returnMs.size());
    // The workers leave a stopped scan at their next step and close what it held.
    const int atReturn = openDescriptors();
    int after = atReturn;
    for (int wait = 0; wait < 100 && (after = openDescriptors()) != before; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::printf("open-descriptors %d %d (%d at the last return)\n", before, after, atReturn);
    return 0;
}

// Mostly small files, some large ones, a few huge: lengths only, the files are holes.
std::int64_t fileLength(std::mt19937_64 &random)
{
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double kind = unit(random);
    const auto logUniform = [&](double low, double high) {
        return std::int64_t(low * std::pow(high / low, unit(random)));
    };
    if (kind < 0.05)
        return 0;
    if (kind < 0.65)
        return logUniform(1, 64 * 1024);
    if (kind < 0.93)
        return logUniform(64 * 1024, 16 << 20);
    if (kind < 0.995)
        return logUniform(16 << 20, 1 << 30);
    return logUniform(1 << 30, 16.0 * (1 << 30));
}

int makeTree(const std::string &target, long files, long folders, int maxDepth)
{
    const std::string work = target + ".partial";
    if (mkdir(work.c_str(), 0755) != 0) { // a leftover of a broken build is the caller's to remove
        std::perror(work.c_str());
        return 1;
    }
    std::mt19937_64 random(20240601);
    std::vector<std::string> paths{work};
    std::vector<int> depths{0};
    paths.reserve(std::size_t(folders));
    for (long i = 1; i < folders; ++i) {
        std::uniform_int_distribution<std::size_t> pick(0, paths.size() - 1);
        std::size_t parent;
        do
            parent = pick(random);
        while (depths[parent] >= maxDepth);
        paths.push_back(paths[parent] + "/folder " + std::to_string(i));
        depths.push_back(depths[parent] + 1);
        if (mkdir(paths.back().c_str(), 0755) != 0) {
            std::perror(paths.back().c_str());
            return 1;
        }
    }
    std::uniform_int_distribution<std::size_t> pickFolder(0, paths.size() - 1);
    for (long i = 0; i < files; ++i) {
        const std::string path =
            paths[pickFolder(random)] + "/file" + std::to_string(i) + (i % 3 ? ".dat" : ".txt");
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ftruncate(fd, fileLength(random)) != 0) {
            std::perror(path.c_str());
            return 1;
        }
        close(fd);
    }
    if (rename(work.c_str(), target.c_str()) != 0) {
        std::perror(target.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--make-tree") == 0) {
        const long files = argc > 3 ? std::atol(argv[3]) : 500000;
        const long folders = argc > 4 ? std::atol(argv[4]) : 50000;
        const int depth = argc > 5 ? std::atoi(argv[5]) : 12;
        if (files < 0 || folders < 1 || depth < 0)
            return usage();
        return makeTree(argv[2], files, folders, depth);
    }
    if (argc == 3 && std::strcmp(argv[1], "--stop") == 0)
        return stopTimes(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--subfolders") == 0)
        return sizeSubfolders(argv[2]);
    if (argc == 2 && std::strcmp(argv[1], "--threads") == 0) {
        std::printf("%d\n", ScanThreadCount());
        return 0;
    }
    if (argc != 2)
        return usage();
    return scan(argv[1]);
}
