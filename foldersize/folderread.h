#pragma once

#include "foldersize/scannode.h"
#include "foldersize/scansystem.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <set>
#include <sys/types.h>
#include <utility>
#include <vector>

enum class ReadEnd { Finished, Failed, Stopped, GivenUp };

// What a walk that counts space on disk shares between its workers: the files with several
// names already counted below each named folder, so that each is counted once there, as du
// counts one folder.
class AllocatedCount {
public:
    explicit AllocatedCount(std::size_t namedFolders) : m_seen(namedFolders) {}
    // Whether the file is met for the first time below named folder `root`. May throw.
    bool firstName(std::size_t root, dev_t device, ino_t inode)
    {
        const std::lock_guard lock(m_lock);
        return m_seen.at(root).insert({device, inode}).second;
    }

private:
    std::mutex m_lock;
    std::vector<std::set<std::pair<dev_t, ino_t>>> m_seen;
};

// Reads the folder open as fd to its end, adding its files to claim.ownFiles and its
// subfolder names to claim.subfolderNames. A read error ends the read (what was read counts);
// so do a stop and a call given up, after which nothing of the read counts. Only regular files
// have a length here: links, devices, pipes and sockets add 0, and so does a folder's own
// entry. The loop costs no virtual call per entry. With claim.allocated, every entry is
// counted by its allocated blocks instead (see AllocatedCount), and a named folder's own
// blocks with it.
ReadEnd readFolder(ScanSystem &system, Claim &claim, int fd, char *buffer, std::size_t size,
                   const std::atomic<bool> &stopped);
