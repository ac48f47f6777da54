#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>

// What a size scan asks of the system, one folder at a time. Tests hand in their own to slow,
// block or refuse some of it; the real one is the default. Every function may be called from
// several workers at once and must not throw.
class ScanSystem {
public:
    virtual ~ScanSystem() = default;

    // Opens the folder the caller named, following links (the user named it), and fills st.
    // -1 with errno when it cannot be opened, and with EXDEV for a kernel pseudo filesystem.
    virtual int openRoot(const std::string &path, struct stat &st);
    // Opens a subfolder of an open folder as OpenSubfolder does.
    virtual int openSubfolder(int dirFd, const char *name);
    // Reads the raw directory records of an open folder, as getdents64 lays them out.
    virtual ssize_t readEntries(int fd, char *buffer, std::size_t size);

    static std::shared_ptr<ScanSystem> real();
};
