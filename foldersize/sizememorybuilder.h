#pragma once

#include "foldersize/sizememorytable.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

class SizeMemory;

// Fills the size memory after a walk instead of during it. Watching a folder costs the kernel
// about as much as reading it (the watch marks every child the kernel has cached), so a walk
// that watched as it went took half as long again as one that did not. A walk now only looks
// folders up; the folders it was asked for are handed here once it is over, and one thread of
// low priority walks them again, watching each folder before reading it, exactly as the
// memory's contract asks (see SizeMemory).
//
// The builder never competes with a walk: it starts only while no walk of the process is under
// way (ForegroundWalk), and leaves what it builds as soon as one starts (checked between
// folders), holding no descriptor meanwhile; a click while it builds simply walks. It stays
// within a folder's mount (a mount below could be a network or FUSE volume that never
// answers; the folder above it is simply not remembered).
class SizeMemoryBuilder {
public:
    static constexpr std::size_t MaxQueued = 1 << 16;

    struct Folder {
        std::string path; // absolute, as the walk opened it
        FolderKey key;    // what the walk found there: anything else there now is not built
    };

    explicit SizeMemoryBuilder(SizeMemory &memory);
    // Stops at the next folder and waits for the thread.
    ~SizeMemoryBuilder();
    SizeMemoryBuilder(const SizeMemoryBuilder &) = delete;
    SizeMemoryBuilder &operator=(const SizeMemoryBuilder &) = delete;

    // Queues folders to build, after those queued before (the newest are built first). The
    // thread starts with the first; where none can be started nothing is built, and every
    // walk simply reads.
    void add(std::vector<Folder> folders);
    // Waits until nothing is queued or being built; false when bound passed first. For tests
    // and benchmarks.
    bool waitIdle(std::chrono::milliseconds bound);
    // Called on the builder's thread after each folder is watched and before it is read.
    void beforeReadForTesting(std::function<void()> hook);

private:
    void run();
    bool takeTurn();

    SizeMemory &m_memory;
    std::function<void()> m_beforeRead;
    // Guarded by the builders' common lock.
    std::deque<Folder> m_queue;
    std::unordered_set<std::string> m_queuedPaths;
    bool m_building = false;
    bool m_started = false;
    std::atomic<bool> m_stopping{false};
    std::thread m_thread;
};

// A walk under way anywhere in the process, from its start until it finishes or is stopped:
// the builders wait until none is.
class ForegroundWalk {
public:
    ForegroundWalk();
    ~ForegroundWalk() { end(); }
    ForegroundWalk(const ForegroundWalk &) = delete;
    ForegroundWalk &operator=(const ForegroundWalk &) = delete;
    // Idempotent: a walk ends once, whichever way comes first.
    void end();

private:
    std::atomic<bool> m_ended{false};
    const void *m_countedIn = nullptr; // a walk counted before a fork is not counted in the child
};
