#include "foldersize/folderread.h"

#include "foldersize/sizememory.h"
#include "posix/listingrecords.h"
#include "posix/pathtext.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

enum class Counted { Yes, GivenUp };

enum class Asked { Stated, Failed, GivenUp };

// fstatat of an entry under the stall watch: a call that outlived the scan's bound is given up.
Asked watchedStat(Claim &claim, int fd, const char *name, struct stat &st)
{
    const std::uint64_t call = claim.calls->begin();
    const int result = fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW);
    if (!claim.calls->end(call))
        return Asked::GivenUp;
    return result == 0 ? Asked::Stated : Asked::Failed;
}

// A write through another name of the file notifies only that name's folder: the folder is
// not remembered, and a file changed since the memory last trusted means totals it holds may
// already be stale.
void fileWithTwoNames(Claim &claim, const struct stat &st)
{
    claim.linkedFile = true;
    if (claim.memory->linkedFileSeen(st.st_ctim))
        claim.runAgain = true;
}

// Adds a file's length or keeps a subfolder's name. An entry whose type the file system does
// not report is asked for with fstatat, which also tells a folder from a file.
Counted countEntry(Claim &claim, int fd, const char *name, unsigned char type)
{
    if (type == DT_DIR) {
        claim.subfolderNames.append(name, std::strlen(name) + 1);
        return Counted::Yes;
    }
    if (type != DT_REG && type != DT_UNKNOWN)
        return Counted::Yes; // links, devices, pipes and sockets occupy no file data
    struct stat st;
    if (const Asked asked = watchedStat(claim, fd, name, st); asked != Asked::Stated)
        return asked == Asked::GivenUp ? Counted::GivenUp : Counted::Yes; // vanished: counts 0
    if (S_ISREG(st.st_mode)) {
        claim.ownFiles.tryAddBytes(st.st_size);
        if (st.st_nlink > 1 && claim.memory)
            fileWithTwoNames(claim, st);
    } else if (S_ISDIR(st.st_mode))
        claim.subfolderNames.append(name, std::strlen(name) + 1);
    return Counted::Yes;
}

// The space an entry occupies, as du counts it: its blocks, a file with several names once
// below the named folder. A subfolder is not asked here: a stat of a mount point waits on its
// volume, and one that stopped answering would take this whole folder with it. The walk
// reads it and counts its own blocks then.
Counted countAllocated(Claim &claim, std::size_t root, int fd, const char *name, unsigned char type)
{
    if (type == DT_DIR) {
        claim.subfolderNames.append(name, std::strlen(name) + 1);
        return Counted::Yes;
    }
    struct stat st;
    if (const Asked asked = watchedStat(claim, fd, name, st); asked != Asked::Stated)
        return asked == Asked::GivenUp ? Counted::GivenUp : Counted::Yes;
    if (S_ISDIR(st.st_mode)) {
        claim.subfolderNames.append(name, std::strlen(name) + 1);
        return Counted::Yes;
    }
    if (st.st_nlink > 1 && !claim.allocated->firstName(root, st.st_dev, st.st_ino))
        return Counted::Yes;
    claim.ownFiles.tryAddBytes(std::int64_t(st.st_blocks) * 512);
    return Counted::Yes;
}

} // namespace

ReadEnd readFolder(ScanSystem &system, Claim &claim, int fd, char *buffer, std::size_t size,
                   const std::atomic<bool> &stopped)
{
    // The named folder a read counts under; parents never change while a claim holds a node.
    std::size_t root = 0;
    if (claim.allocated) {
        const ScanNode *named = claim.node;
        while (named->parent)
            named = named->parent;
        root = named->slot;
        struct stat own;
        if (fstat(fd, &own) == 0)
            claim.ownBlocks = SizeAmount::fromBytes(std::int64_t(own.st_blocks) * 512);
    }
    for (;;) {
        const std::uint64_t call = claim.calls->begin();
        const ssize_t got = system.readEntries(fd, buffer, size);
        const int error = errno;
        if (!claim.calls->end(call))
            return ReadEnd::GivenUp;
        if (got == 0)
            return ReadEnd::Finished;
        if (got < 0) // a folder removed while it is read ends there; any other error is a fault
            return error == ENOENT ? ReadEnd::Finished : ReadEnd::Failed;
        for (const ListingRecord record : ListingRecords(buffer, got)) {
            if (stopped.load(std::memory_order_relaxed))
                return ReadEnd::Stopped;
            const char *name = record.name();
            if (isDot(name))
                continue;
            if ((claim.allocated ? countAllocated(claim, root, fd, name, record.type())
                                 : countEntry(claim, fd, name, record.type())) == Counted::GivenUp)
                return ReadEnd::GivenUp;
        }
    }
}
