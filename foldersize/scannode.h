#pragma once

#include "foldersize/sizeamount.h"

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <vector>

// One folder of a running scan, from the moment its parent lists it until its whole subtree
// is summed. Only folders still waiting or in progress, and their ancestors, exist at a time,
// so a scan's memory follows the frontier of the walk rather than the size of the tree.
// Every field is guarded by the scan's lock, except the read state, which belongs to the one
// worker reading the folder.
struct ScanNode {
    ScanNode *parent = nullptr;
    ScanNode *previousLive = nullptr; // the scan's list of every node it still holds
    ScanNode *nextLive = nullptr;
    std::string name;      // relative to the parent; empty for the root
    std::size_t slot = 0;  // this folder's place among its parent's subfolder totals
    std::size_t depth = 0; // 0 for the root

    // Identity, taken from the descriptor before the scan gives it up while work below the
    // folder remains: a folder opened again must still be this one, or a tree moved during
    // the scan would be counted in the wrong place.
    bool identified = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool lost = false; // could not be opened again: what is left below it counts 0

    int fd = -1;  // held only while useful and within the scan's descriptor budget
    int pins = 0; // workers using fd right now; a pinned descriptor is never closed

    // Read state, kept across a pause so the read goes on where it stopped.
    off_t resumeOffset = 0;
    std::size_t entriesDone = 0;
    SizeAmount ownFiles;
    std::string subfolderNames; // NUL-terminated, in listing order

    // Subfolder totals are added in listing order once all are known, so an addition that
    // would overflow is skipped exactly as a walk on one thread would skip it.
    std::vector<SizeAmount> subfolderTotals;
    std::size_t unfinished = 1; // subfolders still being summed, plus one for the own read
};
