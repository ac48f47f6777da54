#include "foldersize/sizememorytable.h"

namespace {
constexpr std::uint32_t NoSlot = FolderTicket::NoSlot;
}

SizeMemoryTable::SizeMemoryTable(std::size_t capacity) : m_capacity(capacity) {}

FolderTicket SizeMemoryTable::enter(FolderKey key, int wd, const FolderTicket &parent,
                                    int *evictedWd)
{
    *evictedWd = -1;
    std::uint32_t slot;
    if (const auto known = m_byKey.find(key); known != m_byKey.end()) {
        slot = known->second;
        if (m_slots[slot].wd != wd) {
            // The same identity under another watch: an inode reused after its folder went.
            invalidateChain(slot);
            m_byWatch.erase(m_slots[slot].wd);
        }
    } else {
        slot = freeSlot(evictedWd);
        if (slot == NoSlot)
            return {};
        m_slots[slot].key = key;
        m_slots[slot].stamp = ++m_stamps;
        m_byKey.emplace(key, slot);
    }
    if (const auto other = m_byWatch.find(wd); other != m_byWatch.end() && other->second != slot)
        release(other->second); // the watch now stands for this folder only
    Slot &entry = m_slots[slot];
    entry.wd = wd;
    m_byWatch[wd] = slot;
    link(slot, parent);
    touch(slot);
    return {key, slot, m_slots[slot].stamp};
}

std::optional<std::int64_t> SizeMemoryTable::lookup(FolderKey key, const FolderTicket &parent)
{
    const auto known = m_byKey.find(key);
    if (known == m_byKey.end() || m_slots[known->second].total < 0)
        return std::nullopt;
    const std::uint32_t slot = known->second;
    link(slot, parent);
    touch(slot);
    // Linking may have invalidated an old parent chain, never the folder itself.
    return m_slots[slot].total;
}

bool SizeMemoryTable::remember(const FolderTicket &ticket, std::int64_t total)
{
    if (!ticket.valid() || ticket.slot >= m_slots.size())
        return false;
    Slot &entry = m_slots[ticket.slot];
    if (entry.key != ticket.key || entry.stamp != ticket.stamp || entry.wd < 0)
        return false;
    entry.total = total;
    touch(ticket.slot);
    return true;
}

void SizeMemoryTable::invalidate(const FolderTicket &ticket)
{
    if (ticket.valid() && ticket.slot < m_slots.size() && m_slots[ticket.slot].key == ticket.key)
        invalidateChain(ticket.slot);
}

void SizeMemoryTable::changed(int wd)
{
    if (const auto known = m_byWatch.find(wd); known != m_byWatch.end())
        invalidateChain(known->second);
}

void SizeMemoryTable::watchGone(int wd)
{
    if (const auto known = m_byWatch.find(wd); known != m_byWatch.end())
        release(known->second);
}

void SizeMemoryTable::invalidateAll()
{
    for (Slot &entry : m_slots) {
        entry.total = -1;
        entry.stamp = ++m_stamps;
    }
}

void SizeMemoryTable::invalidateDevice(dev_t device)
{
    for (std::uint32_t slot = 0; slot < m_slots.size(); ++slot) {
        if (m_slots[slot].wd >= 0 && m_slots[slot].key.device == device)
            invalidateChain(slot);
    }
}

std::optional<FolderKey> SizeMemoryTable::keyOfWatch(int wd) const
{
    if (const auto known = m_byWatch.find(wd); known != m_byWatch.end())
        return m_slots[known->second].key;
    return std::nullopt;
}

std::size_t SizeMemoryTable::remembered() const
{
    std::size_t count = 0;
    for (const Slot &entry : m_slots)
        count += entry.wd >= 0 && entry.total >= 0;
    return count;
}

void SizeMemoryTable::invalidateChain(std::uint32_t slot)
{
    // Parent links follow the folder tree, but a chain is walked at most once per entry so that
    // a link made through a bind mount of an ancestor cannot loop.
    for (std::size_t steps = 0; steps <= m_slots.size(); ++steps) {
        Slot &entry = m_slots[slot];
        entry.total = -1;
        entry.stamp = ++m_stamps;
        const std::uint32_t parent = entry.parent;
        if (parent == NoSlot || m_slots[parent].stamp != entry.parentStamp)
            return;
        slot = parent;
    }
}

void SizeMemoryTable::link(std::uint32_t slot, const FolderTicket &parent)
{
    // Without a parent ticket the folder is summed by nobody that could be remembered: the
    // link it has stays, as the folder's total may still be counted in that old parent. A
    // parent ticket no longer honoured will remember nothing either.
    if (!parent.valid() || parent.slot == slot || parent.slot >= m_slots.size() ||
        m_slots[parent.slot].key != parent.key || m_slots[parent.slot].stamp != parent.stamp)
        return;
    Slot &entry = m_slots[slot];
    if (entry.parent != parent.slot && entry.parent != NoSlot &&
        m_slots[entry.parent].stamp == entry.parentStamp) {
        // Reached now below another parent (moved, or a second place through a bind mount):
        // the old parent may still count it.
        const std::uint32_t old = entry.parent;
        entry.parent = NoSlot;
        invalidateChain(old);
    }
    entry.parent = parent.slot;
    entry.parentStamp = parent.stamp;
}

void SizeMemoryTable::touch(std::uint32_t slot)
{
    Slot &entry = m_slots[slot];
    entry.round = m_round;
    if (m_newest == slot)
        return;
    unlinkOrder(slot);
    entry.older = m_newest;
    entry.newer = NoSlot;
    if (m_newest != NoSlot)
        m_slots[m_newest].newer = slot;
    m_newest = slot;
    if (m_oldest == NoSlot)
        m_oldest = slot;
}

void SizeMemoryTable::unlinkOrder(std::uint32_t slot)
{
    Slot &entry = m_slots[slot];
    if (entry.older != NoSlot)
        m_slots[entry.older].newer = entry.newer;
    else if (m_oldest == slot)
        m_oldest = entry.newer;
    if (entry.newer != NoSlot)
        m_slots[entry.newer].older = entry.older;
    else if (m_newest == slot)
        m_newest = entry.older;
    entry.older = entry.newer = NoSlot;
}

void SizeMemoryTable::release(std::uint32_t slot)
{
    invalidateChain(slot);
    Slot &entry = m_slots[slot];
    m_byKey.erase(entry.key);
    m_byWatch.erase(entry.wd);
    unlinkOrder(slot);
    entry.key = {};
    entry.wd = -1;
    entry.parent = NoSlot;
    m_free.push_back(slot);
}

std::uint32_t SizeMemoryTable::freeSlot(int *evictedWd)
{
    if (m_byKey.size() >= m_capacity) {
        // Full: the least recently used folder makes room, unless the running scans use it.
        if (m_oldest == NoSlot || m_slots[m_oldest].round == m_round)
            return NoSlot;
        *evictedWd = m_slots[m_oldest].wd;
        release(m_oldest);
    }
    if (!m_free.empty()) {
        const std::uint32_t slot = m_free.back();
        m_free.pop_back();
        return slot;
    }
    m_slots.emplace_back();
    return std::uint32_t(m_slots.size() - 1);
}
