#include "foldersize/sizememory.h"

#include "posix/changevisiblefilesystem.h"
#include "posix/mounttable.h"
#include "posix/offthread.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

// Everything that alters what a folder's total counts: its entries (created, removed, renamed
// in or out, their lengths and attributes, which include a change of permissions, of owner and
// of link count) and the folder itself (removed, moved, its file system unmounted). Events of
// files already unlinked are left out: their names are gone and counted nowhere.
constexpr std::uint32_t WatchedEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                        IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF |
                                        IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

long budgetOf(const SizeMemorySettings &settings)
{
    if (!settings.enabled)
        return 0;
    return settings.watchBudget >= 0 ? settings.watchBudget : freeWatchShare();
}

std::size_t capacityOf(const SizeMemorySettings &settings)
{
    return std::min<std::size_t>(settings.maxFolders, std::size_t(budgetOf(settings)));
}

// Since when no file is known to have gained a name unseen. A second before now, as file
// change times come from a coarser clock than this one.
timespec trustedFromNow()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    now.tv_sec -= 1;
    return now;
}

} // namespace

SizeMemory::SizeMemory(const SizeMemorySettings &settings)
    : m_enabled(settings.enabled), m_watchBudget(budgetOf(settings)), m_table(capacityOf(settings))
{
    m_trustedSince = trustedFromNow();
    if (!m_enabled)
        return;
    m_inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    MountTableChanges &mounts = MountTableChanges::shared();
    m_mountChangesSeen = mounts.count();
    m_mountsWake = MountTableChanges::openWakeDescriptor();
    m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_inotify < 0 || !mounts.watches() || m_mountsWake < 0 || m_wake < 0) {
        // Without a way to see changes nothing may be remembered.
        m_watchBudget = 0;
        return;
    }
    m_builder = std::make_unique<SizeMemoryBuilder>(*this);
    try {
        m_thread = startThread([this] { run(); });
    } catch (const std::system_error &) {
        // No thread to be had: the events wait in the kernel's queue and each scan's catchUp()
        // takes them in before it looks anything up, so every total stays exact. A queue that
        // overflows meanwhile forgets everything, as it does with the thread.
    }
}

SizeMemory::~SizeMemory()
{
    m_builder.reset(); // it uses the watches and descriptors below
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(m_wake, &one, sizeof one);
        m_thread.join();
    }
    for (const int fd : {m_inotify, m_mountsWake, m_wake}) {
        if (fd >= 0)
            close(fd);
    }
}

void SizeMemory::catchUp()
{
    if (m_watchBudget <= 0)
        return;
    const std::lock_guard guard(m_lock);
    mountTableChangedLocked();
    drainLocked();
    m_table.nextRound();
}

std::optional<std::int64_t> SizeMemory::lookup(FolderKey key, const FolderTicket &parent)
{
    if (m_watchBudget <= 0)
        return std::nullopt;
    const std::lock_guard guard(m_lock);
    return m_table.lookup(key, parent);
}

FolderTicket SizeMemory::watch(int dirFd, FolderKey key, const FolderTicket &parent)
{
    if (m_watchBudget <= 0)
        return {};
    if (!showsEveryChange(dirFd, key.device)) {
        finish(parent, 0, false);
        return {};
    }
    // Through the descriptor's own link so that the watch is on the very folder opened, even
    // if its path now names another one; by the process number rather than "self", whose
    // link would be resolved on every call (and read again after a fork).
    char path[48];
    std::snprintf(path, sizeof path, "/proc/%d/fd/%d", int(getpid()), dirFd);
    const int wd = inotify_add_watch(m_inotify, path, WatchedEvents);
    char where[PATH_MAX];
    const ssize_t whereLength = readlink(path, where, sizeof where);
    const std::lock_guard guard(m_lock);
    if (wd < 0) {
        m_table.invalidate(parent);
        return {};
    }
    int evictedWd = -1;
    const FolderTicket ticket = m_table.enter(key, wd, parent, &evictedWd);
    if (evictedWd >= 0) {
        inotify_rm_watch(m_inotify, evictedWd);
        m_watchPaths.erase(evictedWd);
    }
    if (!ticket.valid()) {
        // Full: remember less. The watch goes unless another scan holds the same folder.
        if (!m_table.hasWatch(wd)) {
            inotify_rm_watch(m_inotify, wd);
            m_watchPaths.erase(wd);
        }
        m_table.invalidate(parent);
        return ticket;
    }
    if (whereLength > 0 && std::size_t(whereLength) < sizeof where && where[0] == '/')
        m_watchPaths[wd].assign(where, std::size_t(whereLength));
    else
        m_watchPaths.erase(wd);
    return ticket;
}

void SizeMemory::finish(const FolderTicket &ticket, std::int64_t total, bool exact)
{
    if (m_watchBudget <= 0 || !ticket.valid())
        return;
    const std::lock_guard guard(m_lock);
    if (exact)
        m_table.remember(ticket, total);
    else
        m_table.invalidate(ticket);
}

bool SizeMemory::linkedFileSeen(const timespec &changed)
{
    if (m_watchBudget <= 0)
        return false;
    const std::lock_guard guard(m_lock);
    if (changed.tv_sec < m_trustedSince.tv_sec ||
        (changed.tv_sec == m_trustedSince.tv_sec && changed.tv_nsec < m_trustedSince.tv_nsec))
        return false;
    forgetAllLocked();
    return true;
}

void SizeMemory::forgetAll()
{
    const std::lock_guard guard(m_lock);
    forgetAllLocked();
}

void SizeMemory::forgetUnder(const std::string &folder)
{
    char *resolved = realpath(folder.c_str(), nullptr);
    const std::lock_guard guard(m_lock);
    if (!resolved) {
        forgetAllLocked();
        return;
    }
    const std::string top = resolved;
    std::free(resolved);
    for (const auto &[wd, path] : m_watchPaths) {
        if (path == top || top == "/" ||
            (path.size() > top.size() && path.compare(0, top.size(), top) == 0 &&
             path[top.size()] == '/'))
            m_table.changed(wd);
    }
}

void SizeMemory::forgetAllLocked()
{
    m_table.invalidateAll();
    m_trustedSince = trustedFromNow();
}

SizeMemory::Usage SizeMemory::usage() const
{
    const std::lock_guard guard(m_lock);
    return {m_table.folders(), m_table.remembered(), m_watchBudget};
}

void SizeMemory::applyEvents(const char *data, std::size_t size)
{
    const std::lock_guard guard(m_lock);
    applyEventsLocked(data, size);
}

void SizeMemory::applyEventsLocked(const char *data, std::size_t size)
{
    std::size_t at = 0;
    while (at + sizeof(inotify_event) <= size) {
        inotify_event event;
        std::memcpy(&event, data + at, sizeof event);
        at += sizeof event + event.len;
        if (event.mask & IN_Q_OVERFLOW) {
            forgetAllLocked(); // events were lost: nothing is known to be unchanged
            m_changedAll = !m_listeners.empty();
            continue;
        }
        noteChangedLocked(event.wd);
        if (event.mask & (IN_IGNORED | IN_UNMOUNT)) {
            m_table.watchGone(event.wd);
            m_watchPaths.erase(event.wd);
        } else {
            m_table.changed(event.wd);
            if (event.mask & IN_MOVE_SELF)
                m_watchPaths.erase(event.wd); // its path now names something else, or nothing
            if ((event.mask & (IN_CREATE | IN_MOVED_TO)) && !(event.mask & IN_ISDIR) &&
                event.len > 0)
                nameAddedLocked(event.wd, data + at - event.len);
        }
    }
}

// A name added in a watched folder for a file that has other names: a write through it is
// heard only here, and the folders of the other names may be remembered, anywhere on the
// device. A folder whose path is not known any more cannot be looked in: its device forgets.
void SizeMemory::nameAddedLocked(int wd, const char *name)
{
    const std::optional<FolderKey> folder = m_table.keyOfWatch(wd);
    if (!folder)
        return;
    const auto known = m_watchPaths.find(wd);
    if (known == m_watchPaths.end()) {
        m_table.invalidateDevice(folder->device);
        return;
    }
    const std::string path = known->second + '/' + name;
    struct stat st;
    if (fstatat(AT_FDCWD, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_nlink > 1)
        m_table.invalidateDevice(st.st_dev);
}

// At most this many folders are named to the listeners at a time; past it they hear "all".
constexpr std::size_t MaxChangedFolders = 256;

void SizeMemory::noteChangedLocked(int wd)
{
    if (m_listeners.empty() || m_changedAll)
        return;
    const auto known = m_watchPaths.find(wd);
    if (known == m_watchPaths.end() || m_changedFolders.size() > MaxChangedFolders) {
        m_changedAll = true;
        m_changedFolders.clear();
        return;
    }
    if (std::find(m_changedFolders.begin(), m_changedFolders.end(), known->second) ==
        m_changedFolders.end())
        m_changedFolders.push_back(known->second);
}

void SizeMemory::tellListenersLocked()
{
    if (m_changedFolders.empty() && !m_changedAll)
        return;
    for (const auto &[id, listener] : m_listeners)
        listener(m_changedFolders, m_changedAll);
    m_changedFolders.clear();
    m_changedAll = false;
}

int SizeMemory::addChangeListener(ChangeListener listener)
{
    const std::lock_guard guard(m_lock);
    m_listeners.emplace_back(++m_lastListener, std::move(listener));
    return m_lastListener;
}

void SizeMemory::removeChangeListener(int id)
{
    const std::lock_guard guard(m_lock);
    std::erase_if(m_listeners, [id](const auto &entry) { return entry.first == id; });
}

void SizeMemory::drainLocked()
{
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = read(m_inotify, buffer, sizeof buffer);
        if (got <= 0) {
            if (got < 0 && errno == EINTR)
                continue;
            return;
        }
        // Read and applied under one hold of the lock: no lookup falls between the two.
        applyEventsLocked(buffer, std::size_t(got));
        tellListenersLocked();
    }
}

void SizeMemory::mountTableChangedLocked()
{
    // A mount or unmount over or below a remembered folder changes what its path shows
    // without any inotify event. Any change of the table forgets every total.
    const std::uint64_t changes = MountTableChanges::shared().count();
    if (std::exchange(m_mountChangesSeen, changes) != changes) {
        forgetAllLocked();
        m_trustedDevices.clear(); // a device number may now stand for another file system
    }
}

void SizeMemory::run()
{
    for (;;) {
        pollfd watched[3] = {
            {m_inotify, POLLIN, 0}, {m_mountsWake, POLLPRI, 0}, {m_wake, POLLIN, 0}};
        if (poll(watched, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (watched[2].revents)
            return;
        const std::lock_guard guard(m_lock);
        mountTableChangedLocked();
        drainLocked();
    }
}

void SizeMemory::buildLater(std::vector<SizeMemoryBuilder::Folder> folders)
{
    if (m_builder && !folders.empty())
        m_builder->add(std::move(folders));
}

bool SizeMemory::waitBuilt(std::chrono::milliseconds bound)
{
    return !m_builder || m_builder->waitIdle(bound);
}

void SizeMemory::beforeBuildReadsForTesting(std::function<void()> hook)
{
    if (m_builder)
        m_builder->beforeReadForTesting(std::move(hook));
}

bool SizeMemory::showsEveryChange(int dirFd, dev_t device)
{
    {
        const std::lock_guard guard(m_lock);
        if (const auto known = m_trustedDevices.find(device); known != m_trustedDevices.end())
            return known->second;
    }
    const bool trusted = changesVisibleToInotify(dirFd);
    const std::lock_guard guard(m_lock);
    m_trustedDevices.emplace(device, trusted);
    return trusted;
}
