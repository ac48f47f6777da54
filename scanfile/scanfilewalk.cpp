#include "scanfile/scanfilewalk.h"

#include "foldersize/scansystem.h"
#include "foldersize/subfolderopen.h"
#include "posix/listingrecords.h"
#include "posix/pathtext.h"
#include "scanfile/scanentrytext.h"

#include <cerrno>
#include <cstddef>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Kind = ScanEntryText::Kind;

// Descriptors one walk keeps open; deeper folders are opened again from the nearest one kept.
constexpr std::size_t MaxOpen = 32;

bool sameFolder(int fd, const struct stat &listed)
{
    struct stat st;
    return fstat(fd, &st) == 0 && st.st_dev == listed.st_dev && st.st_ino == listed.st_ino;
}

struct Frame {
    int fd;
    ScanSubfolder self;
    std::vector<ScanSubfolder> subs;
    std::size_t next = 0;
};

// Opens the chain from the nearest folder still open down to frame `at` again; each must be
// the folder met before, so a tree moved into the place of one is never written in its stead.
bool reopen(std::vector<Frame> &stack, std::size_t at)
{
    std::size_t from = at;
    while (stack[from].fd < 0)
        --from; // the bottom frame is never closed
    int fd = stack[from].fd;
    for (std::size_t step = from + 1; step <= at; ++step) {
        const int next = OpenSubfolder(fd, stack[step].self.name.c_str());
        if (fd != stack[from].fd)
            close(fd);
        if (next < 0 || !sameFolder(next, stack[step].self.st)) {
            if (next >= 0)
                close(next);
            return false;
        }
        fd = next;
    }
    stack[at].fd = fd;
    return true;
}

} // namespace

void listScanFolder(int fd, std::string_view name, const struct stat &st, bool newDevice,
                    std::string &out, std::vector<ScanSubfolder> &subs)
{
    ScanEntryText::append(out, name, st, newDevice, Kind::Folder);
    const std::size_t entryEnd = out.size() - 1;
    static const std::shared_ptr<ScanSystem> system = ScanSystem::real();
    alignas(dirent64) char buffer[32 * 1024];
    for (;;) {
        const ssize_t got = system->readEntries(fd, buffer, sizeof buffer);
        if (got == 0 || (got < 0 && errno == ENOENT)) // a folder removed meanwhile ends there
            return;
        if (got < 0) {
            out.insert(entryEnd, ",\"read_error\":true");
            return;
        }
        for (const ListingRecord record : ListingRecords(buffer, got)) {
            const char *entry = record.name();
            if (isDot(entry))
                continue;
            struct stat child;
            if (fstatat(fd, entry, &child, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone since it was listed
            if (S_ISDIR(child.st_mode)) {
                subs.push_back({entry, child});
                continue;
            }
            out += ',';
            ScanEntryText::append(out, entry, child, child.st_dev != st.st_dev, Kind::File);
        }
    }
}

int openScanSubfolder(int parentFd, const ScanSubfolder &sub, dev_t parentDev, std::string &out)
{
    const bool newDevice = sub.st.st_dev != parentDev;
    int fd = OpenSubfolder(parentFd, sub.name.c_str());
    if (fd < 0 && errno == EXDEV) {
        out += ',';
        ScanEntryText::append(out, sub.name, sub.st, newDevice, Kind::PseudoFilesystem);
        return -1;
    }
    if (fd >= 0 && !sameFolder(fd, sub.st)) {
        close(fd);
        fd = -1;
    }
    if (fd < 0) {
        out += ",[";
        ScanEntryText::append(out, sub.name, sub.st, newDevice, Kind::Unreadable);
        out += ']';
    }
    return fd;
}

void writeScanSubtree(int parentFd, const ScanSubfolder &sub, dev_t parentDev, std::string &out,
                      const std::function<void(std::string &)> &flush,
                      const std::atomic<bool> &stopped)
{
    std::vector<Frame> stack;
    auto enter = [&](int fd, const ScanSubfolder &folder, dev_t above) {
        const int opened = openScanSubfolder(fd, folder, above, out);
        if (opened < 0)
            return;
        out += ",[";
        Frame frame{opened, folder, {}};
        listScanFolder(opened, folder.name, folder.st, folder.st.st_dev != above, out, frame.subs);
        stack.push_back(std::move(frame));
        if (stack.size() > MaxOpen && stack.size() - 1 - MaxOpen > 0) {
            Frame &far = stack[stack.size() - 1 - MaxOpen];
            close(far.fd);
            far.fd = -1;
        }
    };
    enter(parentFd, sub, parentDev);
    while (!stack.empty() && !stopped.load(std::memory_order_relaxed)) {
        Frame &top = stack.back();
        if (top.next == top.subs.size()) {
            out += ']';
            if (top.fd >= 0)
                close(top.fd);
            stack.pop_back();
            if (flush)
                flush(out);
            continue;
        }
        const ScanSubfolder next = top.subs[top.next++]; // `enter` may move `top`
        if (top.fd < 0 && !reopen(stack, stack.size() - 1)) {
            // Moved or gone meanwhile: what is left of it is written as unreadable.
            for (const ScanSubfolder *lost = &next;; lost = &top.subs[top.next++]) {
                out += ",[";
                ScanEntryText::append(out, lost->name, lost->st,
                                      lost->st.st_dev != top.self.st.st_dev, Kind::Unreadable);
                out += ']';
                if (top.next == top.subs.size())
                    break;
            }
            continue;
        }
        enter(top.fd, next, top.self.st.st_dev);
    }
    for (Frame &frame : stack)
        if (frame.fd >= 0)
            close(frame.fd);
}
