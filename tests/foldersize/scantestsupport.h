#pragma once

#include "foldersize/scansystem.h"
#include "support/runinchild.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <sys/types.h>

// Open descriptors of this process, to show that a scan gives back every one it took.
int openDescriptorCount();
// Open descriptors of this process on path or below it.
int descriptorsBelow(const std::string &path);

// What a plain walk on one thread finds below path: the lengths of its regular files at
// every depth, one per name, no link followed.
std::int64_t referenceTotal(const std::string &path);

// The total of path from one scan, or -1 when it has not finished within bound (it is then
// stopped); meanwhile runs on the calling thread about every millisecond until then.
std::int64_t totalWithin(const std::string &path, std::chrono::milliseconds bound,
                         const std::function<void()> &meanwhile = {});

// Reads directories as the scanner does, with what a test may change: entry types the file
// system does not report, a small read, a pause before each read, a hook before each read and
// one before each open (given a subfolder's name or a named folder's path), and names whose
// open is denied. Safe to use from several workers at once.
struct TestDirectoryReader : ScanSystem {
    bool blankTypes = false;
    std::size_t readLimit = 0; // bytes per read, 0 for as many as asked
    std::chrono::milliseconds pause{0};
    std::function<void(int fd)> beforeRead;
    std::function<void(const char *name)> beforeOpen;
    std::string deniedName;
    std::atomic<int> reads{0};

    ssize_t readEntries(int fd, char *buffer, std::size_t size) override;
    int openSubfolder(int dirFd, const char *name) override;
    int openRoot(const std::string &path, struct stat &st) override;
};

// A gate that holds every thread at wait() until it opens, for a system call that never
// returns; never destroyed, as a thread may still wait at exit.
class Gate {
public:
    static Gate &make();
    void wait();
    void open();
    // Threads held now.
    int waiting();

private:
    Gate() = default;
    std::mutex m_lock;
    std::condition_variable m_opened;
    bool m_open = false;
    int m_waiting = 0;
};
