#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

// A folder's identity while it exists: its device and inode.
struct FolderKey {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FolderKey &) const = default;
};

// What a scan holds for a folder it watched and is summing. It is honoured only while nothing
// changed in the folder or below it since the watch: every invalidation gives the folder a new
// stamp, so a total summed across a change is refused.
struct FolderTicket {
    static constexpr std::uint32_t NoSlot = UINT32_MAX;
    FolderKey key;
    std::uint32_t slot = NoSlot;
    std::uint32_t stamp = 0;
    bool valid() const { return slot != NoSlot; }
};

// The bookkeeping of the size memory, without the kernel: folders by key and by inotify watch,
// each with its total (when remembered), its parent link and its place in the least recently
// used order. Not thread-safe; SizeMemory holds its lock around every call.
//
// The one rule that keeps totals exact: when a folder is invalidated, so is every folder its
// parent links lead to. A link is set when a scan watches or looks up a folder below a parent
// it is summing, and records the parent's stamp. A link whose parent has been invalidated
// since is not followed: that parent's later totals (and its ancestors') were summed by scans
// that linked the folder again. A folder linked to a new parent first invalidates its old one
// if the old one may still count it. Forgetting a folder (evicted, or its watch gone)
// invalidates its ancestors too, since nothing watches it any more.
class SizeMemoryTable {
public:
    explicit SizeMemoryTable(std::size_t capacity);

    // Enters a folder watched as wd below parent (an invalid ticket: no parent). When the table
    // is full, the least recently used folder is evicted unless it was used in the current
    // round, then the ticket is invalid. *evictedWd is the watch to remove, or -1.
    FolderTicket enter(FolderKey key, int wd, const FolderTicket &parent, int *evictedWd);
    // A remembered folder's total; links it below parent when that is valid.
    std::optional<std::int64_t> lookup(FolderKey key, const FolderTicket &parent);
    // Remembers the ticket's total if the ticket is still honoured; true when remembered.
    bool remember(const FolderTicket &ticket, std::int64_t total);
    // The folder and its ancestors are no longer remembered.
    void invalidate(const FolderTicket &ticket);
    void changed(int wd);
    // The watch is gone: the folder is forgotten, its ancestors invalidated.
    void watchGone(int wd);
    // Every total forgotten, the watches kept.
    void invalidateAll();
    // Every total of folders on device forgotten, the watches kept.
    void invalidateDevice(dev_t device);
    // The folder watched as wd, when there is one.
    std::optional<FolderKey> keyOfWatch(int wd) const;
    // Starts a round (a scan): what is used from now on is not evicted until the next round.
    void nextRound() { ++m_round; }

    std::size_t folders() const { return m_byKey.size(); }
    std::size_t remembered() const;
    bool hasWatch(int wd) const { return m_byWatch.count(wd) != 0; }

private:
    struct Slot {
        FolderKey key;
        std::int64_t total = -1; // -1: not remembered
        std::uint32_t parent = FolderTicket::NoSlot;
        std::uint32_t parentStamp = 0; // the parent's stamp when linked
        std::int32_t wd = -1;
        std::uint32_t stamp = 0;
        std::uint32_t round = 0;
        std::uint32_t older = FolderTicket::NoSlot; // least recently used order
        std::uint32_t newer = FolderTicket::NoSlot;
    };
    struct KeyHash {
        std::size_t operator()(const FolderKey &key) const
        {
            return std::hash<std::uint64_t>()(std::uint64_t(key.inode) * 0x9e3779b97f4a7c15ULL ^
                                              std::uint64_t(key.device));
        }
    };

    void invalidateChain(std::uint32_t slot);
    void link(std::uint32_t slot, const FolderTicket &parent);
    void touch(std::uint32_t slot);
    void unlinkOrder(std::uint32_t slot);
    void release(std::uint32_t slot);
    std::uint32_t freeSlot(int *evictedWd);

    std::size_t m_capacity;
    std::deque<Slot> m_slots; // grows without the slack of a doubling vector
    std::vector<std::uint32_t> m_free;
    std::unordered_map<FolderKey, std::uint32_t, KeyHash> m_byKey;
    std::unordered_map<int, std::uint32_t> m_byWatch;
    std::uint32_t m_newest = FolderTicket::NoSlot;
    std::uint32_t m_oldest = FolderTicket::NoSlot;
    std::uint32_t m_stamps = 0;
    std::uint32_t m_round = 1;
};
