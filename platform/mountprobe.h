#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// What a mount point said when it was asked.
enum class MountAnswer { Folder, NotFolder, NoAnswer };

// Asks mount points whether they answer, off the calling thread. A hard-mounted share whose
// server is gone blocks every stat of it for ever and no thread can be taken back from
// there, so each question runs on a detached thread of its own (none to be had: no answer); the
// caller waits at most `bound` from the moment the question was put, and a mount still silent then
// reads as NoAnswer. An answer is kept for `freshFor`; asking later puts the question again, unless
// the last one is still under way.
class MountProbe {
public:
    // Runs on the probe's own thread and may block; answers Folder or NotFolder.
    using Check = std::function<MountAnswer(const QByteArray &mountPoint)>;

    explicit MountProbe(Check check = statCheck,
                        std::chrono::milliseconds bound = std::chrono::milliseconds(200),
                        std::chrono::milliseconds freshFor = std::chrono::seconds(2));
    // Threads still blocked keep their own share of the state; nothing waits for them.
    ~MountProbe();
    MountProbe(const MountProbe &) = delete;
    MountProbe &operator=(const MountProbe &) = delete;

    // Puts the question to mountPoint unless a fresh answer or a question is there already.
    // Never waits.
    void start(const QString &mountPoint) const;
    // Puts the question as start() does and never waits: the answer when there is one,
    // nullopt while a question is under way (for a silent mount, until it answers).
    std::optional<MountAnswer> poll(const QString &mountPoint) const;
    // The answer for mountPoint, asking first when needed and waiting up to the bound.
    MountAnswer answer(const QString &mountPoint) const;

    // The real question: a stat of the mount point itself.
    static MountAnswer statCheck(const QByteArray &mountPoint);

private:
    struct State;
    std::shared_ptr<State> m_state;
};
