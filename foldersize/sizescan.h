#pragma once

#include "foldersize/sizeamount.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ScanSystem;
class SizeMemory;

// What a scan found below one of its folders.
struct FolderTotal {
    SizeAmount bytes;             // the folder's size as FolderSize counts it
    std::uint64_t unreadable = 0; // folders at or below it that could not be opened or read
};

struct SizeScanOptions {
    // A folder whose open or read has not returned after this long (a dead network or FUSE
    // mount) is given up: reported through stalled with its path, counted 0 and as unreadable,
    // and the scan finishes the rest. Zero waits for ever. Seen to within about 10 ms.
    std::chrono::milliseconds stallBound{0};
    std::function<void(const std::string &path)> stalled;
    // Sizes as the space allocated on disk, as du counts it, instead of file lengths: the
    // blocks of every entry (folders' own, links' and those of the named folder included,
    // sparse files by what they occupy), a file with several names below one named folder
    // counted once there. Costs a stat of every entry, which the default mode avoids. Totals
    // remembered between scans are lengths: a walk that counts this way must not take them.
    bool allocated = false;
    // What the scan asks of the system; null for the real one. For tests.
    std::shared_ptr<ScanSystem> system;
    // Where totals of folders walked before are remembered; null for nowhere.
    std::shared_ptr<SizeMemory> memory;
};

// An asynchronous scan of several folders in one walk, each one's total reported as soon as
// its whole subtree is summed. The walk runs on the scan pool's workers, each folder opened
// there too; the caller never waits and never touches the folders itself.
//
// A scan's state is owned jointly by its caller and its workers: stop() returns at once, and
// a worker stuck in the kernel (a dead network or FUSE mount) keeps alive only what it uses
// and leaves when it wakes.
class SizeScan {
public:
    // Called on a thread of the scan pool, once per folder, in any order; index is the
    // folder's place in the list given to start(). Called one at a time, never once stop() has
    // returned; keep them short (queue the result), as stop() waits for one under way.
    using Report = std::function<void(std::size_t index, const FolderTotal &total)>;
    // Called after the last report; never called once stop() has returned. With no folder at
    // all it is called before start() returns.
    using Finished = std::function<void()>;

    // Dropping the last handle stops the scan.
    virtual ~SizeScan() = default;

    // Starts sizing folders (paths in the system's narrow encoding) and returns at once. The
    // stalled callback of options runs under the same rules as report. Only where the process
    // cannot start a single thread does the walk run on the calling thread, before start()
    // returns.
    static std::shared_ptr<SizeScan> start(std::vector<std::string> folders, Report report,
                                           Finished finished = {}, SizeScanOptions options = {});

    // Returns at once; afterwards no callback of this scan runs or is still running. May be
    // called from inside one of its own callbacks, which is then the last.
    virtual void stop() = 0;
};

// The totals of folders from one scan, in the order given; blocks until the scan has finished.
// For tests, benchmarks and callers that may wait.
std::vector<FolderTotal> SizeScanTotals(std::vector<std::string> folders,
                                        SizeScanOptions options = {});
