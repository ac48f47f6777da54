#pragma once

#include "foldersize/foldersize.h"

#include <cstddef>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

// One size scan below an open directory. It walks level by level with an explicit stack,
// so the depth of a tree is limited neither by the call stack nor by the number of open
// descriptors: when the process runs out of them, the shallowest waiting folders give theirs
// up and are opened again through ".." on the way back.
//
// Each folder is read to its end before any of its subfolders is entered; only subfolder
// names are kept meanwhile, in one growing buffer shared by every level.
//
// Every scan has its own buffers, because the yield may start another scan before this one
// returns.
class FolderWalk {
public:
    explicit FolderWalk(const FolderSizeYield &yield);
    ~FolderWalk();
    FolderWalk(const FolderWalk &) = delete;
    FolderWalk &operator=(const FolderWalk &) = delete;

    // The total below rootFd, which the walk owns and closes.
    SizeAmount run(int rootFd);

private:
    struct Level {
        int fd = -1; // -1 while given up for a deeper level, or lost
        dev_t device = 0;
        ino_t inode = 0;
        std::size_t namesBegin = 0; // this folder's subfolder names in m_names
        std::size_t nextName = 0;
        std::size_t namesEnd = 0;
        SizeAmount total;
    };

    bool enter(int fd, const struct stat &st);
    SizeAmount stop();
    ScanControl askYield() const;
    bool readFolder(Level &level);
    bool countEntry(Level &level, const char *name, unsigned char type);
    int openSubfolder(const char *name);
    bool releaseShallowestHandle(std::size_t below);
    SizeAmount leave();
    void closeAll();

    const FolderSizeYield &m_yield;
    std::vector<Level> m_levels;
    std::string m_names; // NUL-terminated subfolder names of every level on the stack
    std::unique_ptr<char[]> m_buffer;
};
