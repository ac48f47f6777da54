#pragma once

#include "foldersize/descriptorbudget.h"
#include "foldersize/scannode.h"
#include "foldersize/scansystem.h"

#include <atomic>

// How opening a claimed folder ended.
enum class Opened {
    Ready,   // claim.fd is open
    Lost,    // cannot be opened (claim.unreadable says whether that is a fault), or moved away
    Retry,   // no descriptor free now, but some may come free: try again in a moment
    Stopped, // the scan was stopped
    GivenUp, // a call took longer than the scan waits: the folder was given up
};

// Opens the folders a scan claims: a named folder by its path, any other through its nearest
// open ancestor. Where the descriptors of ancestors were given up, they are opened again on
// the way down, from the nearest open one or from the named folder's path, and each must be
// the same folder as before (device and inode): a tree moved into the place of one is never
// counted in its stead. Calls that may block for ever run as the worker's kernel calls, so a
// watcher can give them up.
class FolderOpener {
public:
    FolderOpener(DescriptorBudget &budget, ScanSystem &system, const std::atomic<bool> &stopped);

    // Runs without the scan's lock; takes it to install ancestors opened again.
    Opened open(Claim &claim);
    // Opens the parent of an open folder through "..", counted in the budget; -1 on failure.
    int openParent(int childFd, KernelCalls &calls);

private:
    Opened openNamed(Claim &claim);
    Opened openChain(Claim &claim);
    Opened reopenNamed(Claim &claim, ScanNode &named);
    Opened countUnopenedBlocks(Claim &claim, int base);
    template<class Open> Opened openAsCall(Claim &claim, const Open &openOnce, int own, int &fd);

    DescriptorBudget &m_budget;
    ScanSystem &m_system;
    const std::atomic<bool> &m_stopped;
};
