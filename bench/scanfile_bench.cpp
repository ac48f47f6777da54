// Measures scan files against ncdu on the same files and trees in the same run.
//
//   scanfile_bench TREE
//
// First `ncdu -0 -o FILE TREE` writes a scan file of TREE (bench/compare-scanfile.sh passes
// the synthetic tree of 500,000 files). Then RUNS times (5 unless set), alternating:
//   opening FILE to the first chart (`quorvane --open-scan FILE --json /dev/null`: the file
//   read into the tree, the chart of its top folder made and written) and
//   `ncdu -0 -f FILE -o /dev/null` (ncdu reads it whole and writes it nowhere), then this
//   program's --open FILE for the memory the tree takes;
//   `quorvane --save-scan OUT TREE` (walked, written and flushed to disk as every save is)
//   and `ncdu -0 -o OUT TREE`.
// It prints the medians with the spread (lowest and highest) and
//   open-ratio <x.xx>            median of opening over ncdu's reading next to it
//   open-bytes-per-entry <n>     the growth of resident memory while the file is read, over
//                                the entries it holds (median over the runs)
//   save-ratio <x.xx>            median of --save-scan over ncdu -o next to it
//
//   scanfile_bench --open FILE   reads FILE, prints "<entries> <resident growth in bytes>
//                                <subfolders of the top folder>"

#include "scanfile/scanfileread.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

long residentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6) * 1024;
    return 0;
}

int open(const char *file)
{
    const long before = residentBytes();
    try {
        const ScanTree tree = readScanPath(file);
        // The first chart: the top folder's subfolders with their totals.
        std::int64_t total = 0;
        const auto subfolders = tree.subfolders(ScanTree::Root);
        for (const ScanTree::Index folder : subfolders)
            total += tree.apparent(folder);
        const long growth = residentBytes() - before;
        std::printf("%zu %ld %zu %lld\n", tree.size(), growth, subfolders.size(),
                    static_cast<long long>(total));
        return 0;
    } catch (const ScanFileError &error) {
        std::fprintf(stderr, "scanfile_bench: %s: %s\n", file, error.what());
        return 1;
    }
}

// Runs a program, its standard output to `output` (empty: /dev/null); the wall time in
// seconds, or exits when it fails.
double timed(const std::vector<std::string> &command, std::string *output = nullptr)
{
    char capture[] = "/tmp/scanfile-bench-XXXXXX";
    const int outFd = output ? mkstemp(capture) : ::open("/dev/null", O_WRONLY);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, STDOUT_FILENO);
    std::vector<char *> argv;
    for (const std::string &word : command)
        argv.push_back(const_cast<char *>(word.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "scanfile_bench: %s failed\n", argv[0]);
        std::exit(1);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (output) {
        std::ifstream in(capture);
        output->assign(std::istreambuf_iterator<char>(in), {});
        unlink(capture);
    }
    close(outFd);
    return seconds;
}

struct Spread {
    double median, lowest, highest;
};

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

void report(const char *what, const std::vector<double> &values)
{
    const Spread s = spread(values);
    std::printf("%s %.3f (%.3f..%.3f)\n", what, s.median, s.lowest, s.highest);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--open") == 0)
        return open(argv[2]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: scanfile_bench TREE | --open FILE\n");
        return 2;
    }
    const std::string tree = argv[1];
    const int runs = std::max(3, std::getenv("RUNS") ? std::atoi(std::getenv("RUNS")) : 5);
    char folder[] = "/tmp/scanfile-bench-files-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string scan = std::string(folder) + "/ncdu.json";
    const std::string ours = std::string(folder) + "/quorvane.json";
    const std::string theirs = std::string(folder) + "/ncdu-again.json";
    const std::string self = argv[0];
    timed({"ncdu", "-0", "-o", scan, tree});

    std::vector<double> openQuorvane, openNcdu, openRatio, bytesPerEntry;
    std::vector<double> saveQuorvane, saveNcdu, saveRatio;
    for (int run = 0; run < runs; ++run) {
        std::string opened;
        const double q = timed({QUORVANE_EXECUTABLE, "--open-scan", scan, "--json", "/dev/null"});
        const double n = timed({"ncdu", "-0", "-f", scan, "-o", "/dev/null"});
        timed({self, "--open", scan}, &opened);
        unsigned long long entries = 0;
        long long growth = 0;
        std::sscanf(opened.c_str(), "%llu %lld", &entries, &growth);
        if (run == 0)
            std::printf("entries %llu\n", entries);
        openQuorvane.push_back(q);
        openNcdu.push_back(n);
        openRatio.push_back(q / n);
        bytesPerEntry.push_back(double(growth) / double(std::max(1ull, entries)));
    }
    for (int run = 0; run < runs; ++run) {
        const double q = timed({QUORVANE_EXECUTABLE, "--save-scan", ours, tree});
        const double n = timed({"ncdu", "-0", "-o", theirs, tree});
        saveQuorvane.push_back(q);
        saveNcdu.push_back(n);
        saveRatio.push_back(q / n);
    }
    report("open-quorvane-s", openQuorvane);
    report("open-ncdu-s", openNcdu);
    report("save-quorvane-s", saveQuorvane);
    report("save-ncdu-s", saveNcdu);
    const Spread open = spread(openRatio), save = spread(saveRatio);
    std::printf("open-ratio %.2f (spread %.2f..%.2f)\n", open.median, open.lowest, open.highest);
    std::printf("open-bytes-per-entry %.0f\n", spread(bytesPerEntry).median);
    std::printf("save-ratio %.2f (spread %.2f..%.2f)\n", save.median, save.lowest, save.highest);
    for (const std::string &file : {scan, ours, theirs})
        unlink(file.c_str());
    rmdir(folder);
    return 0;
}
