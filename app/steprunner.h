#pragma once

#include <QString>
#include <functional>

class MessageBox;

// Runs a command handler's statements as numbered steps. A step that fails (throws) shows
// the error report box with its own number, and the handler goes on with the next step; the
// rest of the failed step is abandoned. A step may end the handler, after which every later
// step is skipped:
//
//     StepRunner steps(box, ErrorLocation::PushButton2_Click);
//     steps.run(110, [&] { dialog.showSave(); });
//     steps.run(112, [&] { if (dialog.fileName().isEmpty()) steps.end(); });
//     steps.run(114, [&] { ... });
//
// A failure while the box itself is shown is not caught again.
class StepRunner {
public:
    StepRunner(MessageBox &box, QString location);

    // Runs the statement unless the handler has ended; returns whether it ran without failing.
    bool run(int step, const std::function<void()> &statement);
    void end() { m_ended = true; }
    bool ended() const { return m_ended; }

private:
    MessageBox &m_box;
    QString m_location;
    bool m_ended = false;
};
