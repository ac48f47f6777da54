#pragma once

#include "foldersize/kernelcall.h"
#include "foldersize/sizeamount.h"
#include "foldersize/sizememorytable.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class AllocatedCount;

// One folder of a running scan, from the moment its parent lists it (or the caller names it)
// until its whole subtree is summed and nobody uses it any more. Only folders still waiting or
// in progress, and their ancestors, exist at a time, so a scan's memory follows the frontier
// of the walk rather than the size of the tree. Every field is guarded by the scan's lock.
struct ScanNode {
    ScanNode *parent = nullptr;       // null for a folder the caller named
    ScanNode *previousLive = nullptr; // the scan's list of every node it still holds
    ScanNode *nextLive = nullptr;
    std::string name;      // relative to the parent; a named folder's path ending in "/"
    std::size_t slot = 0;  // place among the parent's subfolders, or in the caller's list
    std::size_t depth = 0; // 0 for a named folder

    // Identity, taken before the scan gives up the descriptor while work below the folder
    // remains: a folder opened again must still be this one, or a tree moved during the scan
    // would be counted in the wrong place.
    bool identified = false;
    dev_t device = 0;
    ino_t inode = 0;
    bool lost = false; // could not be opened again: what is left below it counts 0

    int fd = -1;    // held only while useful and within the scan's descriptor budget
    int pins = 0;   // workers using fd right now; a pinned descriptor is never closed
    int claims = 0; // workers holding the node as the folder they read (0 or 1)

    SizeAmount ownFiles;
    // Subfolder totals are added in listing order once all are known, so an addition that
    // would overflow is skipped exactly as a walk on one thread would skip it.
    std::vector<SizeAmount> subfolderTotals;
    std::uint64_t unreadable = 0; // folders at or below it that could not be opened or read
    std::size_t unfinished = 1;   // subfolders still being summed, plus one for the own read
    // With the size memory: whether anything below was uncertain (a file with two names, a
    // folder lost, an addition skipped), whether the total relied on remembered ones (then it
    // is reported only once the walk knows none it took may be stale), and, for a named
    // folder, whether the memory is to build it once the walk is over.
    bool uncertain = false;
    bool tookRemembered = false;
    bool buildLater = false;
    // Summed and handed on; the node stays only while a worker still pins or claims it (one
    // stuck in a call that was given up, for instance).
    bool completed = false;
};

// An open folder a worker uses to reach the folder it claimed.
struct Base {
    ScanNode *owner = nullptr; // null for a descriptor no node holds
    int fd = -1;
};

class SizeMemory;

// What a worker knows of the one folder it took from the scan, with what it needs to open it:
// the nearest ancestor whose descriptor is open (pinned for it). While the folder is read its
// descriptor is the worker's own; the scan holds it only once subfolders are to be opened
// through it. Reset as a whole when the worker takes the next folder.
struct ClaimedFolder {
    ScanNode *node = nullptr;
    Base base;
    bool lost = false; // an ancestor moved away: the folder counts 0
    int fd = -1;       // the worker's own descriptor of node
    bool unreadable = false;

    // What the read found, kept here so a read given up never touches the node.
    SizeAmount ownFiles;
    // Sizes as space on disk: the folder's own blocks, which count even when it cannot be
    // read. Asked of the folder itself, never of its parent's listing, so that a mount point
    // that stopped answering gives up only itself.
    SizeAmount ownBlocks;

    // What the size memory's look-up and the read learnt, when the walk uses the memory.
    bool remembered = false; // the total was taken from the memory: ownFiles holds it
    bool buildLater = false; // a named folder the memory may build
    bool linkedFile = false; // a file with more than one name
    bool runAgain = false;   // such a file changed since the memory last trusted
};

// A worker's hold on the scan: the folder it claimed, and what it keeps from one folder to
// the next.
struct Claim : ClaimedFolder {
    // Emptied for each folder, their room kept: the ancestors to open again on the way to
    // it, deepest first, and its subfolders' names, NUL-terminated, in listing order.
    std::vector<ScanNode *> chain;
    std::string subfolderNames;

    SizeMemory *memory = nullptr;        // null: the walk remembers nothing
    KernelCalls *calls = nullptr;        // the worker's calls, watched for stalls
    AllocatedCount *allocated = nullptr; // sizes as space on disk; null: file lengths
    // The scan's list of claims under way, and the watch thread's notes on this one.
    Claim *previousActive = nullptr;
    Claim *nextActive = nullptr;
    std::uint64_t watchedCall = 0;
    std::int64_t watchedSinceMs = 0;
    bool stallNoted = false; // the call watched is in StalledFolders
};
