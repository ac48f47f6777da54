#pragma once

#include "foldersize/sizememory.h"

#include <cstdint>
#include <string>

// A plain walk on one thread that sums a tree through the size memory, using the hook exactly
// as SizeMemory's contract describes: the reference for the scanner's own walk, for tests and
// for the memory's benchmark. Regular files count their length once per name; links are not
// followed; mounts are crossed.
class MemoryWalk {
public:
    explicit MemoryWalk(SizeMemory &memory) : m_memory(memory) {}

    // The total below path (0 when it cannot be opened).
    std::int64_t operator()(const std::string &path);
    // Folders the last call read rather than took from the memory.
    long foldersRead() const { return m_foldersRead; }

private:
    std::int64_t once(const std::string &path);
    std::int64_t folder(int dirFd, const FolderTicket &parent);

    SizeMemory &m_memory;
    long m_foldersRead = 0;
    bool m_runAgain = false;
};
