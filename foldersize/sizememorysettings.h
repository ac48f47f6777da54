#pragma once

#include <cstddef>

// How a size memory behaves. Read once where the program starts and handed to
// the memory; worker code never looks at the environment.
struct SizeMemorySettings {
    // False when QUORVANE_SIZE_MEMORY=0: nothing is watched or remembered, every scan walks all.
    bool enabled = true;
    // Most folders remembered (or watched while a scan sums them) at once.
    std::size_t maxFolders = std::size_t(1) << 20;
    // Most inotify watches the memory may hold; negative: half of what the user's watch limit
    // leaves free when the memory starts (see freeWatchShare()).
    long watchBudget = -1;

    // The defaults, with QUORVANE_SIZE_MEMORY=0 turning the memory off.
    static SizeMemorySettings fromEnvironment();
};

// Half of the inotify watches this user may still add: the limit in
// /proc/sys/fs/inotify/max_user_watches less the watches the user's processes hold (counted in
// /proc/<pid>/fdinfo where readable). Watches are shared with the user's other programs (file
// managers, editors, build tools), so the memory takes only a share of what is left.
long freeWatchShare();
