#include "foldersize/folderopener.h"

#include "foldersize/folderidentity.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A folder that vanished or turned into something else since it was listed, or a kernel
// pseudo filesystem, is no fault of reading: only other failures count as unreadable.
bool isReadFault(int error)
{
    return error != ENOENT && error != ENOTDIR && error != EXDEV;
}

} // namespace

FolderOpener::FolderOpener(DescriptorBudget &budget, ScanSystem &system,
                           const std::atomic<bool> &stopped)
    : m_budget(budget), m_system(system), m_stopped(stopped)
{}

Opened FolderOpener::open(Claim &claim)
{
    ScanNode &node = *claim.node;
    if (m_stopped.load(std::memory_order_relaxed))
        return Opened::Stopped;
    if (!node.parent)
        return openNamed(claim);
    if (!claim.base.owner) {
        const Opened named = reopenNamed(claim, *claim.chain.back());
        claim.chain.pop_back();
        if (named != Opened::Ready)
            return named;
    }
    if (!claim.chain.empty()) {
        const Opened ancestors = openChain(claim);
        if (ancestors != Opened::Ready)
            return ancestors;
    }
    const int base = claim.base.fd;
    const Opened opened = openAsCall(
        claim, [&] { return m_system.openSubfolder(base, node.name.c_str()); }, 1, claim.fd);
    return opened == Opened::Lost && claim.allocated ? countUnopenedBlocks(claim, base) : opened;
}

// Space on disk: a subfolder that cannot be opened (no permission) still occupies its own
// blocks, which du counts from its parent.
Opened FolderOpener::countUnopenedBlocks(Claim &claim, int base)
{
    const int error = errno;
    struct stat st;
    const std::uint64_t call = claim.calls->begin();
    const int result = fstatat(base, claim.node->name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    if (!claim.calls->end(call))
        return Opened::GivenUp;
    if (result == 0 && S_ISDIR(st.st_mode))
        claim.ownBlocks = SizeAmount::fromBytes(std::int64_t(st.st_blocks) * 512);
    errno = error;
    return Opened::Lost;
}

// One open, as a kernel call the watcher may give up; fd is -1 unless Ready. Where no
// descriptor was to be had, the folder waits while others may come free; otherwise it counts 0.
template<class Open>
Opened FolderOpener::openAsCall(Claim &claim, const Open &openOnce, int own, int &fd)
{
    bool noDescriptor = false;
    const std::uint64_t call = claim.calls->begin();
    fd = m_budget.openCounted(openOnce, noDescriptor);
    const int error = errno;
    if (!claim.calls->end(call)) {
        if (fd >= 0)
            m_budget.closeFd(fd);
        fd = -1;
        return Opened::GivenUp;
    }
    if (fd >= 0)
        return Opened::Ready;
    if (noDescriptor && m_budget.othersHoldDescriptors(own))
        return Opened::Retry;
    claim.unreadable = noDescriptor || isReadFault(error);
    errno = error;
    return Opened::Lost;
}

// A folder the caller named, opened for its own read: the identity it has now is the one it
// must keep.
Opened FolderOpener::openNamed(Claim &claim)
{
    ScanNode &node = *claim.node;
    struct stat st;
    const Opened opened = openAsCall(
        claim, [&] { return m_system.openRoot(node.name, st); }, 0, claim.fd);
    if (opened == Opened::Ready) {
        const ScanLock lock(m_budget);
        node.identified = true;
        node.device = st.st_dev;
        node.inode = st.st_ino;
    }
    return opened;
}

// No ancestor is open: the named folder is opened again by its path, as the same folder.
Opened FolderOpener::reopenNamed(Claim &claim, ScanNode &named)
{
    struct stat st;
    int fd;
    const Opened opened = openAsCall(
        claim, [&] { return m_system.openRoot(named.name, st); }, 0, fd);
    if (opened != Opened::Ready)
        return opened;
    const ScanLock lock(m_budget);
    if (st.st_dev != named.device || st.st_ino != named.inode) {
        m_budget.closeFd(fd);
        named.lost = true;
        return Opened::Lost;
    }
    if (named.fd >= 0)
        m_budget.closeFd(fd); // opened again meanwhile by another worker
    else
        m_budget.holdLocked(named, fd);
    ++named.pins;
    claim.base = {&named, named.fd};
    return Opened::Ready;
}

// Opens again the ancestors whose descriptors were given up, deepest last, each checked to be
// the same folder as before; on success claim.base is the pinned parent of the claimed folder.
Opened FolderOpener::openChain(Claim &claim)
{
    Base &base = claim.base;
    for (auto step = claim.chain.rbegin(); step != claim.chain.rend(); ++step) {
        ScanNode &folder = **step;
        if (m_stopped.load(std::memory_order_relaxed))
            return Opened::Stopped;
        const int from = base.fd;
        int fd;
        const Opened opened = openAsCall(
            claim, [&] { return m_system.openSubfolder(from, folder.name.c_str()); }, 1, fd);
        if (opened == Opened::GivenUp || opened == Opened::Retry)
            return opened;
        const bool noDescriptor = fd < 0 && (errno == EMFILE || errno == ENFILE);
        const bool same = fd >= 0 && sameFolder(fd, folder);
        const ScanLock lock(m_budget);
        if (!same) {
            if (fd >= 0)
                m_budget.closeFd(fd);
            if (!noDescriptor)
                folder.lost = true; // moved or gone: what is left below it counts 0
            return Opened::Lost;
        }
        if (base.owner) {
            --base.owner->pins; // an ancestor of the claimed folder: not completed, stays
            if (base.owner->pins == 0)
                m_budget.evictOverBudgetLocked();
        } else if (base.fd >= 0) {
            m_budget.closeFd(base.fd);
        }
        if (folder.fd >= 0) { // opened again meanwhile by another worker
            m_budget.closeFd(fd);
        } else {
            m_budget.holdLocked(folder, fd);
        }
        base = {&folder, folder.fd};
        ++folder.pins;
    }
    claim.chain.clear();
    return Opened::Ready;
}

int FolderOpener::openParent(int childFd, KernelCalls &calls)
{
    m_budget.countOpening();
    const std::uint64_t call = calls.begin();
    const int fd = openat(childFd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    calls.end(call);
    if (fd < 0)
        m_budget.uncountOpening();
    return fd;
}
