#pragma once

#include "foldersize/sizeamount.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// What a scan found below one of its folders.
struct FolderTotal {
    SizeAmount bytes;            // the folder's size as FolderSize counts it
    std::uint64_t unreadable = 0; // folders at or below it that could not be opened or read
};

// An asynchronous scan of several folders at once, each one's total reported as soon as its
// whole subtree is summed. The walk runs on the scan pool's workers; the caller never waits.
//
// A scan's state is owned jointly by its caller and its workers: stop() returns at once, and
// a worker stuck in the kernel (a dead network or FUSE mount) keeps alive only what it uses
// and leaves when it wakes.
class SizeScan {
public:
    // Called on a worker thread, once per folder, in any order; index is the folder's place in
    // the list given to start(). Never called once stop() has returned.
    using Report = std::function<void(std::size_t index, const FolderTotal &total)>;
    // Called on a worker thread after the last report; never called once stop() has returned.
    using Finished = std::function<void()>;

    virtual ~SizeScan() = default;

    // Starts sizing folders (paths in the system's narrow encoding) and returns at once.
    static std::shared_ptr<SizeScan> start(std::vector<std::string> folders, Report report,
                                           Finished finished = {});

    // Returns at once; afterwards no callback of this scan runs or is still running. Not to be
    // called from inside one of its own callbacks.
    virtual void stop() = 0;
};
