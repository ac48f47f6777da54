#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

// A text looked up once, on a thread of its own, so that a lookup that may hang (it asks an
// external program) never holds up the caller. The thread is detached: a lookup still
// running when the object goes away finishes on its own and its answer is dropped.
class BackgroundLookup {
public:
    explicit BackgroundLookup(std::function<QString()> lookup);

    // The answer, waiting for it at most `bound`; empty when it has not come by then.
    QString answer(std::chrono::milliseconds bound) const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
