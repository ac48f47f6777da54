#pragma once

#include "foldersize/foldersize.h"
#include "foldersize/parallelscan.h"

#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/types.h>
#include <unistd.h>

// Reads the raw directory records of an open folder, as getdents64 lays them out.
struct SystemDirectoryReader {
    ssize_t read(int fd, char *buffer, std::size_t size) { return getdents64(fd, buffer, size); }
};

// A scan reading directories through Reader: any type with
// `ssize_t read(int fd, char *buffer, std::size_t size)` that fills buffer as getdents64
// does. It is shared by every worker of the scan, so it must be safe to call from several
// threads at once.
template<class Reader> class ReaderScan final : public ParallelScan {
public:
    ReaderScan(std::string rootPath, const FolderSizeYield &yield, Reader &reader)
        : ParallelScan(std::move(rootPath), yield), m_reader(reader)
    {}

private:
    ReadEnd readFolder(ScanNode &node, int fd, char *buffer, std::size_t size) override
    {
        // A folder read again after a pause goes on at the position its last entry named.
        // Where the file system cannot seek a folder, the entries already read are skipped.
        std::size_t skip = 0;
        if (node.entriesDone > 0 && lseek(fd, node.resumeOffset, SEEK_SET) < 0)
            skip = node.entriesDone;
        for (;;) {
            const ssize_t got = m_reader.read(fd, buffer, size);
            if (got <= 0)
                return ReadEnd::Finished; // the end, or a read error: what was read counts
            for (ssize_t at = 0; at < got;) {
                if (interrupted())
                    return ReadEnd::Interrupted;
                const char *record = buffer + at;
                unsigned short length;
                std::memcpy(&length, record + offsetof(struct dirent64, d_reclen), sizeof length);
                at += length;
                if (skip > 0) {
                    --skip;
                    continue;
                }
                const char *name = record + offsetof(struct dirent64, d_name);
                if (!(name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))))
                    countEntry(
                        node, fd, name,
                        static_cast<unsigned char>(record[offsetof(struct dirent64, d_type)]));
                std::memcpy(&node.resumeOffset, record + offsetof(struct dirent64, d_off),
                            sizeof node.resumeOffset);
                ++node.entriesDone;
            }
        }
    }

    Reader &m_reader;
};

// FolderSize with the directory reads made by reader.
template<class Reader>
SizeAmount FolderSizeReadBy(const std::string &path, const FolderSizeYield &yield, Reader &reader);

// Opens the folder the caller named, or -1; fills st. Shared by every reader's scan.
int OpenScanRoot(const std::string &folder, struct stat &st);

template<class Reader>
SizeAmount FolderSizeReadBy(const std::string &path, const FolderSizeYield &yield, Reader &reader)
{
    try {
        const std::string folder = AddBackslash(path);
        struct stat st;
        const int fd = OpenScanRoot(folder, st);
        if (fd < 0)
            return {};
        ReaderScan<Reader> scan(folder, yield, reader);
        return scan.run(fd, st);
    } catch (...) {
        return {}; // out of memory or no thread to be had: nothing leaves the scanner
    }
}
