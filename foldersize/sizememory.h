#pragma once

#include "foldersize/sizememorybuilder.h"
#include "foldersize/sizememorysettings.h"
#include "foldersize/sizememorytable.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <time.h>
#include <unordered_map>
#include <vector>

// Subtree totals of folders that a scan walked completely, kept between scans while the kernel
// watches each of those folders for every change that could alter them, so that a later scan
// takes a folder's total without reading it and the total is still exact.
//
// Changes are seen through one inotify instance (a watch per folder, added before the folder
// is read) and the mount table; a background thread of the memory's own drains both (where the
// system gives no thread, each scan's catchUp() drains them before it looks anything up). Any event
// in a folder forgets the folder and its remembered ancestors; a lost event queue or any mount
// or unmount forgets every total. Never remembered: folders on file systems whose changes can
// arrive without an event (changesVisibleToInotify()), folders holding a file with more than
// one name (a write through the other name notifies only the other name's folder), and every
// folder above one that was not remembered-or-watched. All members are thread-safe.
//
// A file given a second name in a watched folder is heard there (the new name), not in the
// folder of its first name, which may be remembered: a watched folder that gets a name for a
// file with more than one forgets every total on that device. What stays out of sight: a
// file of a remembered folder given a second name in a folder that is not watched, then
// written through that name. The kernel tells only watchers of the file itself (a watch per
// file would be needed). A walk that meets the file (two names, changed since the memory last
// started trusting) forgets everything, but until one does, the first folder's total is
// stale; forgetUnder() is the user's way out.
//
// The scanner's walk only looks folders up (step 2 without the watch, with no parent ticket)
// and hands the folders it was asked for to buildLater() when it is over: the memory's builder
// then walks them again on a thread of its own, as follows, while no walk runs.
//
// How a walk fills it (a folder F below a parent P that the walk is summing, P's ticket p; the
// root of a scan has the invalid ticket {} as its parent):
//   1. when the scan starts:          memory.catchUp();
//   2. before F is read, with F open:  if (auto total = memory.lookup(key, p)) use *total and
//                                      do not read F;
//                                      else FolderTicket f = memory.watch(fd, key, p);
//      (key is F's st_dev/st_ino from the fstat the walk makes of the open folder)
//   3. F's files are counted; a file with st_nlink > 1 makes F inexact and is reported with
//      memory.linkedFileSeen(st.st_ctim); a subfolder that could not be opened or read makes F
//      inexact; each subfolder goes through step 2 with f as its parent;
//   4. when F's whole subtree is summed:  memory.finish(f, total, exact);
//   5. if linkedFileSeen() returned true during the scan, the scan runs once more (totals it
//      took before may be stale; the second run's are exact, whatever it returns).
// A scan that is stopped or abandoned simply drops its tickets. catchUp() may read queued
// events, so it belongs on the worker that starts the walk, not on the GUI thread.
// A ticket is a small value: the walk keeps it beside the folder it belongs to. An invalid
// ticket (memory off, file system not trusted, no watch left) works everywhere and remembers
// nothing; its parent has already been made inexact.
class SizeMemory {
public:
    explicit SizeMemory(const SizeMemorySettings &settings);
    ~SizeMemory();
    SizeMemory(const SizeMemory &) = delete;
    SizeMemory &operator=(const SizeMemory &) = delete;

    bool enabled() const { return m_enabled; }
    // Whether anything can be remembered at all: on, and able to watch.
    bool remembers() const { return m_watchBudget > 0; }

    // Takes in every change made before this call (so a scan starting after a change never
    // sees a total from before it) and starts a new round of use.
    void catchUp();
    // The total of a remembered folder still valid, linked below parent.
    std::optional<std::int64_t> lookup(FolderKey key, const FolderTicket &parent);
    // Watches the open folder dirFd (whose identity is key) before it is read. An invalid
    // ticket when it may not be remembered; parent is then made inexact.
    FolderTicket watch(int dirFd, FolderKey key, const FolderTicket &parent);
    // The folder's subtree total once summed. exact false: a multi-link file or an unread
    // subfolder; the folder and its ancestors are then not remembered.
    void finish(const FolderTicket &ticket, std::int64_t total, bool exact);
    // A file with more than one name, met by a walk. A name added to a file notifies only the
    // folder that gets the name, not the folders of its other names, which may be remembered:
    // if the file changed (its ctime) since the memory last started trusting, everything is
    // forgotten and true returned: the calling scan must run again.
    bool linkedFileSeen(const timespec &changed);
    // Every total forgotten (watches kept).
    void forgetAll();
    // Every total of folder and the folders below it forgotten, and of the folders above it,
    // which count them (watches kept). A folder that cannot be resolved forgets everything.
    void forgetUnder(const std::string &folder);

    // Whether the file system of the open folder dirFd (on device) shows every change to
    // inotify. Asked once per device; may ask the file system, so a walk runs it as a call it
    // can give up.
    bool showsEveryChange(int dirFd, dev_t device);
    // Folders a walk was asked for and did not find remembered, on file systems that show every
    // change: the builder walks them in the background, newest first.
    void buildLater(std::vector<SizeMemoryBuilder::Folder> folders);
    // Waits until the builder has nothing left to do; false when bound passed first. For tests
    // and benchmarks, which time a walk once the memory is complete.
    bool waitBuilt(std::chrono::milliseconds bound);
    // Called on the builder's thread after each folder is watched, before it is read.
    void beforeBuildReadsForTesting(std::function<void()> hook);

    // Told, on the memory's own thread (or a scan's, in catchUp), of the folders in which
    // something changed: their paths where known, and all = true when some are not known or
    // events were lost. It must return at once and may not call the memory. Once
    // removeChangeListener(id) has returned it is never called again.
    using ChangeListener = std::function<void(const std::vector<std::string> &folders, bool all)>;
    int addChangeListener(ChangeListener listener);
    void removeChangeListener(int id);

    struct Usage {
        std::size_t folders = 0;    // entries, each holding one watch
        std::size_t remembered = 0; // of which with a valid total
        long watchBudget = 0;
    };
    Usage usage() const;

    // Applies raw inotify events as the drain thread reads them. Public so that tests can feed
    // what the kernel only sends under load (an overflowed queue).
    void applyEvents(const char *data, std::size_t size);

private:
    void applyEventsLocked(const char *data, std::size_t size);
    void nameAddedLocked(int wd, const char *name);
    void noteChangedLocked(int wd);
    void tellListenersLocked();
    void forgetAllLocked();
    void drainLocked();
    void mountTableChangedLocked();
    void run();

    const bool m_enabled;
    long m_watchBudget = 0;
    int m_inotify = -1;
    std::uint64_t m_mountChangesSeen = 0;
    int m_mountsWake = -1; // wakes the thread after a change of the mount table
    int m_wake = -1;
    mutable std::mutex m_lock;
    SizeMemoryTable m_table;
    // Where each watched folder was when watched, to look at a name added in it; a folder
    // moved since has none.
    std::unordered_map<int, std::string> m_watchPaths;
    std::vector<std::pair<int, ChangeListener>> m_listeners;
    int m_lastListener = 0;
    std::vector<std::string> m_changedFolders; // since the listeners were last told
    bool m_changedAll = false;
    std::unordered_map<dev_t, bool> m_trustedDevices;
    timespec m_trustedSince{};
    std::thread m_thread;
    std::unique_ptr<SizeMemoryBuilder> m_builder; // null when nothing can be remembered
};
