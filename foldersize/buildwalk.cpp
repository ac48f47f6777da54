#include "foldersize/buildwalk.h"

#include "foldersize/folderidentity.h"
#include "foldersize/sizeamount.h"
#include "foldersize/sizememory.h"
#include "posix/listingrecords.h"
#include "posix/pathtext.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int SubfolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
constexpr std::size_t ListingBuffer = 32 * 1024;
// Descriptors the builder holds at most, however deep it goes: the folders on its stack above
// these are opened again through ".." on its way back up.
constexpr std::size_t HeldDescriptors = 8;

// A folder being summed: open, watched, its own files counted, its subfolders entered one by
// one.
struct Frame {
    int fd = -1; // -1 while a deeper folder holds the descriptors
    FolderKey key;
    FolderTicket ticket;
    SizeAmount total;
    bool exact = true;
    std::string subfolders; // NUL-terminated names, in listing order
    std::size_t next = 0;   // the next name to enter
};

// A subfolder on the same mount only: a mount point is refused before anything on the mounted
// volume is asked (it may be a FUSE volume that never answers). Where the kernel lacks openat2
// the subfolder is opened and kept only if it is on its parent's device.
int openWithinMount(const Frame &parent, const char *name)
{
    open_how how{};
    how.flags = SubfolderFlags;
    how.resolve = RESOLVE_NO_XDEV;
    const int fd = int(syscall(SYS_openat2, parent.fd, name, &how, sizeof how));
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM && errno != E2BIG && errno != EINVAL))
        return fd;
    const int opened = openat(parent.fd, name, SubfolderFlags);
    struct stat st;
    if (opened >= 0 && (fstat(opened, &st) != 0 || st.st_dev != parent.key.device)) {
        close(opened);
        return -1;
    }
    return opened;
}

// Counts the folder's files and keeps its subfolders' names, as the scanner's read does.
// False when the listing could not be read to its end (or its names not kept).
bool readListing(SizeMemory &memory, Frame &frame, char *buffer) noexcept
try {
    for (;;) {
        const ssize_t got = getdents64(frame.fd, buffer, ListingBuffer);
        if (got == 0)
            return true;
        if (got < 0)
            return false;
        for (const ListingRecord record : ListingRecords(buffer, got)) {
            const char *name = record.name();
            if (isDot(name))
                continue;
            const unsigned char type = record.type();
            struct stat st;
            if (type == DT_DIR) {
                frame.subfolders.append(name, std::strlen(name) + 1);
            } else if (type != DT_REG && type != DT_UNKNOWN) {
                continue; // links, devices, pipes and sockets count nothing
            } else if (fstatat(frame.fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                frame.exact = false;
            } else if (S_ISDIR(st.st_mode)) {
                frame.subfolders.append(name, std::strlen(name) + 1);
            } else if (S_ISREG(st.st_mode)) {
                frame.exact = frame.total.tryAddBytes(st.st_size) && frame.exact;
                if (st.st_nlink > 1) {
                    // A write through another name is heard only in that name's folder.
                    frame.exact = false;
                    memory.linkedFileSeen(st.st_ctim);
                }
            }
        }
    }
} catch (...) {
    return false;
}

// The subtree of a folder just opened: taken from the memory, or watched, read and pushed to
// be summed. What cannot be leaves its parent inexact. Of the folders on the stack only the
// newest few keep their descriptors.
void enter(SizeMemory &memory, int fd, std::vector<Frame> &stack, char *buffer,
           const BuildTurns &turns)
{
    Frame *const parent = stack.empty() ? nullptr : &stack.back();
    const FolderTicket parentTicket = parent ? parent->ticket : FolderTicket();
    FolderKey key;
    if (!folderIdentity(fd, key.device, key.inode)) {
        close(fd);
        if (parent)
            parent->exact = false;
        return;
    }
    if (const std::optional<std::int64_t> total = memory.lookup(key, parentTicket)) {
        close(fd);
        if (parent)
            parent->exact = parent->total.tryAdd(SizeAmount::fromBytes(*total)) && parent->exact;
        return;
    }
    Frame frame;
    frame.fd = fd;
    frame.key = key;
    frame.ticket = memory.watch(fd, key, parentTicket);
    if (!frame.ticket.valid()) {
        // Not to be remembered (no watch to be had, or a file system that changes unseen):
        // nothing below it is worth the walk either. The parent is inexact already.
        close(fd);
        return;
    }
    if (turns.beforeRead)
        turns.beforeRead();
    if (!readListing(memory, frame, buffer)) {
        close(fd);
        memory.finish(frame.ticket, 0, false);
        if (parent)
            parent->exact = false;
        return;
    }
    try {
        stack.push_back(std::move(frame));
    } catch (...) {
        close(fd);
        throw;
    }
    if (stack.size() > HeldDescriptors) {
        Frame &older = stack[stack.size() - HeldDescriptors - 1];
        close(older.fd);
        older.fd = -1;
    }
}

// The parent of a folder just summed, opened again through ".." where it gave up its
// descriptor; false when that is not the same folder any more (moved meanwhile).
bool reopenParent(Frame &parent, int childFd)
{
    if (parent.fd >= 0)
        return true;
    parent.fd = openat(childFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    FolderKey key;
    return parent.fd >= 0 && folderIdentity(parent.fd, key.device, key.inode) && key == parent.key;
}

void abandon(std::vector<Frame> &stack)
{
    for (const Frame &frame : stack)
        if (frame.fd >= 0)
            close(frame.fd);
    stack.clear();
}

// Sums the stack down to its bottom; false when it was abandoned first.
bool sumStack(SizeMemory &memory, std::vector<Frame> &stack, char *buffer, const BuildTurns &turns)
{
    while (!stack.empty()) {
        Frame &top = stack.back();
        if (top.next < top.subfolders.size()) {
            const char *name = top.subfolders.c_str() + top.next;
            top.next += std::strlen(name) + 1;
            if (!turns.takeTurn())
                return false;
            const int child = openWithinMount(top, name);
            if (child < 0)
                top.exact = false;
            else
                enter(memory, child, stack, buffer, turns);
            continue;
        }
        memory.finish(top.ticket, top.total.bytes(), top.exact);
        const SizeAmount total = top.total;
        const bool exact = top.exact;
        const int fd = top.fd;
        stack.pop_back();
        const bool parentBack = stack.empty() || reopenParent(stack.back(), fd);
        close(fd);
        if (!parentBack)
            return false; // moved away while it was summed: the events forget it
        if (!stack.empty()) {
            Frame &parent = stack.back();
            parent.exact = parent.total.tryAdd(total) && exact && parent.exact;
        }
    }
    return true;
}

} // namespace

bool buildMemoryOf(SizeMemory &memory, const std::string &path, FolderKey key,
                   const BuildTurns &turns)
{
    std::vector<Frame> stack;
    std::vector<char> buffer;
    try {
        buffer.resize(ListingBuffer);
    } catch (...) {
        return true; // nothing to be done without memory
    }
    memory.catchUp();
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return true;
    FolderKey found;
    if (!folderIdentity(fd, found.device, found.inode) || !(found == key)) {
        close(fd); // another folder now: the walk that asked did not see it
        return true;
    }
    bool whole = false;
    try {
        enter(memory, fd, stack, buffer.data(), turns);
        whole = sumStack(memory, stack, buffer.data(), turns);
    } catch (...) {
        whole = true; // no memory for the names: nothing more is built
    }
    abandon(stack);
    return whole;
}
