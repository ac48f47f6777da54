#pragma once

// Keeps a handler that pumps the event loop (a modal dialog, a message box) from being run a
// second time underneath itself: the outer run holds the flag, a nested call sees it taken
// and does nothing. The flag is released when the outer run ends, also by an exception.
class ReentryGuard {
public:
    explicit ReentryGuard(bool &busy) : m_busy(busy), m_entered(!busy) { m_busy = true; }
    ~ReentryGuard()
    {
        if (m_entered)
            m_busy = false;
    }
    ReentryGuard(const ReentryGuard &) = delete;
    ReentryGuard &operator=(const ReentryGuard &) = delete;

    // False for a nested call, which must return at once.
    bool entered() const { return m_entered; }

private:
    bool &m_busy;
    bool m_entered;
};
