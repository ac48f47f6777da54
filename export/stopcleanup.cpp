#include "export/stopcleanup.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace {

constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int slotCount = 32;

enum SlotState { Free, Filling, Armed };

// The handler reads this table, so it holds plain bytes and atomics, never allocated memory.
struct Slot {
    std::atomic<int> state{Free};
    char path[PATH_MAX];
};
Slot slots[slotCount];

std::atomic<int> heldDepth{0};
std::atomic<int> heldSignal{0};

void removePendingNames()
{
    for (Slot &slot : slots) {
        if (slot.state.load() == Armed)
            ::unlink(slot.path);
    }
}

void endBy(int signal)
{
    removePendingNames();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void onStop(int signal)
{
    const int savedErrno = errno;
    if (heldDepth.load() > 0)
        heldSignal.store(signal);
    else
        endBy(signal);
    errno = savedErrno;
}

// Only signals nobody else handles are taken: one ignored stays ignored, and a program that
// handles one itself decides what a stop means.
void installOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction ours {};
        ours.sa_handler = onStop;
        ours.sa_flags = SA_RESTART;
        sigemptyset(&ours.sa_mask);
        for (const int signal : stopSignals)
            sigaddset(&ours.sa_mask, signal);
        for (const int signal : stopSignals) {
            struct sigaction current {};
            if (::sigaction(signal, nullptr, &current) == 0 && !(current.sa_flags & SA_SIGINFO) &&
                current.sa_handler == SIG_DFL)
                ::sigaction(signal, &ours, nullptr);
        }
    });
}

} // namespace

int registerPendingName(const char *path)
{
    installOnce();
    const size_t length = std::strlen(path);
    if (length >= PATH_MAX)
        return -1;
    for (int handle = 0; handle < slotCount; ++handle) {
        int expected = Free;
        if (slots[handle].state.compare_exchange_strong(expected, Filling)) {
            std::memcpy(slots[handle].path, path, length + 1);
            slots[handle].state.store(Armed);
            return handle;
        }
    }
    return -1;
}

void releasePendingName(int handle)
{
    if (handle >= 0 && handle < slotCount)
        slots[handle].state.store(Free);
}

HeldStop::HeldStop()
{
    installOnce();
    heldDepth.fetch_add(1);
}

HeldStop::~HeldStop()
{
    if (heldDepth.fetch_sub(1) == 1) {
        if (const int signal = heldSignal.exchange(0))
            endBy(signal);
    }
}
