// Measures the size memory on the synthetic 500k tree (built by foldersize_bench --make-tree,
// see bench/compare-du.sh) and /usr, in one run:
//
//   memory_bench [TREE...]
//
// For each tree it walks the tree with the memory, checks the total against FolderSize (no
// memory), and prints
//   bytes-per-folder <tree> <n>   heap the memory holds per remembered folder (its table, hash
//                                 maps and watch bookkeeping; the kernel's own watch records
//                                 are not process memory)
//   watches <tree> <n>            inotify watches it holds for the tree
// and the three ratios FolderSize will be held to once its walk uses the memory:
//   again-ratio   the same folder a second time / the first time, warm cache
//   drill-ratio   its largest subfolder right after / the same with the memory off
//   change-ratio  the top folder after one byte appended 8 levels down / the first time
// Until then they print "n/a": the walk that takes totals from the memory is not the scanner's.

#include "foldersize/foldersize.h"
#include "foldersize/memorywalk.h"
#include "foldersize/sizememory.h"

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

std::size_t heapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd; // large blocks are mapped apart from the heap
}

bool isFolder(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int measure(const std::string &tree)
{
    SizeMemory memory(SizeMemorySettings::fromEnvironment());
    MemoryWalk walk(memory);
    const std::size_t heapBefore = heapInUse();
    const std::int64_t remembered = walk(tree);
    const std::size_t heapAfter = heapInUse();
    const SizeMemory::Usage usage = memory.usage();
    const long foldersRead = walk.foldersRead();

    const std::int64_t scanned = FolderSize(tree).bytes();
    const std::int64_t again = walk(tree);
    const bool equal = remembered == scanned && again == scanned;
    std::printf("check %s FolderSize %lld memory %lld again %lld %s\n", tree.c_str(),
                static_cast<long long>(scanned), static_cast<long long>(remembered),
                static_cast<long long>(again), equal ? "equal" : "DIFFERENT");
    // Per folder held (each with its watch): a mount elsewhere on the machine forgets totals
    // but keeps the folders, and their cost.
    if (usage.folders > 0)
        std::printf("bytes-per-folder %s %.0f (%zu folders held, %zu remembered, %ld read)\n",
                    tree.c_str(), double(heapAfter - heapBefore) / double(usage.folders),
                    usage.folders, usage.remembered, foldersRead);
    else
        std::printf("bytes-per-folder %s n/a (nothing remembered)\n", tree.c_str());
    std::printf("watches %s %zu (budget %ld)\n", tree.c_str(), usage.folders, usage.watchBudget);
    for (const char *ratio : {"again-ratio", "drill-ratio", "change-ratio"})
        std::printf("%s %s n/a (FolderSize does not use the memory yet)\n", ratio, tree.c_str());
    return equal ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> trees(argv + 1, argv + argc);
    if (trees.empty()) {
        const char *cache = std::getenv("XDG_CACHE_HOME");
        const char *home = std::getenv("HOME");
        const std::string base =
            cache && *cache ? cache : std::string(home ? home : "") + "/.cache";
        trees = {base + "/quorvane-bench/tree-500k", "/usr"};
    }
    int status = 0;
    for (const std::string &tree : trees) {
        if (!isFolder(tree)) {
            std::fprintf(stderr,
                         "memory_bench: %s is missing (bench/compare-du.sh builds the "
                         "synthetic tree once)\n",
                         tree.c_str());
            status = 1;
            continue;
        }
        status |= measure(tree);
    }
    return status;
}
