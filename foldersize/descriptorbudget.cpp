#include "foldersize/descriptorbudget.h"

#include "foldersize/folderidentity.h"

#include <algorithm>
#include <pthread.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_closes{0};

// Scans alive, for one that found no descriptor free. Never destroyed: a worker may use it
// at exit.
struct Registry {
    std::mutex lock;
    std::vector<DescriptorBudget *> budgets;
};

void lockRegistryBeforeFork();
void unlockRegistryAfterFork();
void clearRegistryInChild();

Registry &registry()
{
    static Registry *const shared = [] {
        pthread_atfork(&lockRegistryBeforeFork, &unlockRegistryAfterFork, &clearRegistryInChild);
        return new Registry;
    }();
    return *shared;
}

void lockRegistryBeforeFork()
{
    registry().lock.lock();
}

void unlockRegistryAfterFork()
{
    registry().lock.unlock();
}

// The parent's scans have no worker in the child.
void clearRegistryInChild()
{
    registry().budgets.clear();
    registry().lock.unlock();
}

thread_local bool t_insideScanLock = false;
thread_local std::vector<int> t_closing;
constexpr std::size_t DeferredClosesAtMost = 4;
constexpr int SpinsBeforeSleeping = 100;

void relaxCpu()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

} // namespace

unsigned scanDescriptorCloses()
{
    return g_closes.load();
}

ScanLock::ScanLock(DescriptorBudget &budget) : m_budget(budget)
{
    bool locked = false;
    for (int spin = 0; spin < SpinsBeforeSleeping && !(locked = m_budget.m_lock.try_lock()); ++spin)
        relaxCpu();
    if (!locked)
        m_budget.m_lock.lock();
    t_insideScanLock = true;
}

ScanLock::~ScanLock()
{
    t_insideScanLock = false;
    m_budget.m_lock.unlock();
    for (const int fd : t_closing)
        m_budget.closeNow(fd);
    t_closing.clear();
}

DescriptorBudget::DescriptorBudget(std::size_t kept) : m_kept(kept)
{
    // Held descriptors stay within the budget plus the few each worker pins at a time, so
    // keeping one never needs memory.
    m_holders.reserve(kept + kept + 8);
    Registry &shared = registry();
    const std::lock_guard lock(shared.lock);
    shared.budgets.push_back(this);
    m_registered = true;
}

DescriptorBudget::~DescriptorBudget()
{
    retire();
}

void DescriptorBudget::retire()
{
    Registry &shared = registry();
    const std::lock_guard lock(shared.lock);
    if (!m_registered)
        return;
    m_registered = false;
    shared.budgets.erase(std::find(shared.budgets.begin(), shared.budgets.end(), this));
}

void DescriptorBudget::holdLocked(ScanNode &node, int fd)
{
    node.fd = fd;
    m_holders.push_back(&node);
}

void DescriptorBudget::closeHeldLocked(ScanNode &node)
{
    if (node.unfinished > 0 && !node.identified)
        identifyFolder(node, node.fd);
    closeFd(node.fd);
    node.fd = -1;
    m_holders.erase(std::find(m_holders.begin(), m_holders.end(), &node));
}

int DescriptorBudget::takeHeldLocked(ScanNode &node)
{
    const int fd = node.fd;
    node.fd = -1;
    m_holders.erase(std::find(m_holders.begin(), m_holders.end(), &node));
    return fd;
}

void DescriptorBudget::evictOverBudgetLocked()
{
    while (m_holders.size() > m_kept && evictOneLocked()) {
    }
}

bool DescriptorBudget::evictOneLocked()
{
    ScanNode *shallowest = nullptr;
    for (ScanNode *node : m_holders)
        if (node->pins == 0 && (!shallowest || node->depth < shallowest->depth))
            shallowest = node;
    if (!shallowest)
        return false;
    closeHeldLocked(*shallowest);
    return true;
}

void DescriptorBudget::closeAllLocked()
{
    for (ScanNode *node : m_holders) {
        closeFd(node->fd);
        node->fd = -1;
    }
    m_holders.clear();
}

// This scan gives one up if it can; otherwise another scan alive, if its lock is free now
// (waiting for it here could deadlock against that scan doing the same).
bool DescriptorBudget::makeOneFree()
{
    {
        const ScanLock lock(*this);
        if (evictOneLocked())
            return true;
    }
    Registry &shared = registry();
    const std::lock_guard registryLock(shared.lock);
    for (DescriptorBudget *other : shared.budgets) {
        if (other == this || !other->m_lock.try_lock())
            continue;
        const bool freed = other->evictOneLocked();
        other->m_lock.unlock();
        if (freed)
            return true;
    }
    return false;
}

bool DescriptorBudget::othersHoldDescriptors(int own) const
{
    Registry &shared = registry();
    const std::lock_guard lock(shared.lock);
    int open = m_registered ? 0 : m_openFds.load();
    for (const DescriptorBudget *budget : shared.budgets)
        open += budget->m_openFds.load();
    return open > own;
}

void DescriptorBudget::closeFd(int fd)
{
    // A few at a time: finishing a deep folder can give up one descriptor per level.
    if (t_insideScanLock && t_closing.size() < DeferredClosesAtMost) {
        try {
            t_closing.push_back(fd);
            return;
        } catch (...) {
        }
    }
    closeNow(fd);
}

void DescriptorBudget::closeNow(int fd)
{
    close(fd);
    g_closes.fetch_add(1);
    m_openFds.fetch_sub(1);
}
