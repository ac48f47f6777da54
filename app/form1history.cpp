#include "app/form1.h"
#include "app/historylookof.h"
#include "history/historyrecorder.h"
#include "platform/messagebox.h"

#include <QDateTime>

void Form1::connectHistory()
{
    if (!m_environment.history)
        return;
    connect(m_environment.history.get(), &HistoryRecorder::problem, this,
            [this](const QString &message) {
                messageBox().show(message, tr("History"), MessageBox::Icon::Warning);
            });
}

// Only the copy of the model's texts happens here; the store is written on the history's
// thread.
void Form1::recordLook()
{
    if (!m_environment.history)
        return;
    if (auto look = historyLookOf(m_chart, false, QDateTime::currentMSecsSinceEpoch()))
        m_environment.history->record(std::move(*look));
}
