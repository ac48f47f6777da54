#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// A progress line on standard error while a chart is generated, when standard error is a
// terminal; nothing at all otherwise, so that logs and pipes stay clean. The line is redrawn
// in place a few times a second from the generation's yields and wiped when done.
class TerminalProgress : public QObject {
public:
    // What the line shows: subfolders done, their number, and the one being measured.
    struct State {
        int done = 0;
        int total = 0;
        QString measuring;
    };

    explicit TerminalProgress(std::function<State()> state, int fd = 2);
    ~TerminalProgress() override;

    bool active() const { return m_active; }
    // "12 of 40 subfolders measured, now /usr/share", cut to `width` characters.
    static QString line(const State &state, int width);

private:
    void draw();
    void wipe();

    std::function<State()> m_state;
    int m_fd = 2;
    bool m_active = false;
    bool m_drawn = false;
    QString m_shown;
    QTimer m_timer;
};
