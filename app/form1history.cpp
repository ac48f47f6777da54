#include "app/form1.h"
#include "app/historylookof.h"
#include "history/historyrecorder.h"
#include "platform/messagebox.h"
#include "platform/nativepath.h"

#include <QDateTime>

namespace {

// A look taken minutes ago says little; the default comparison is older than this.
constexpr qint64 ComparedAtLeastMs = 60 * 60 * 1000;

} // namespace

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

void Form1::compareWithHistory(const QString &folder)
{
    m_chart.setComparison({});
    if (!m_environment.history)
        return;
    m_environment.history->latestBefore(nativePath(folder), false,
                                        QDateTime::currentMSecsSinceEpoch() - ComparedAtLeastMs,
                                        this, [this, folder](std::optional<HistoryLook> look) {
                                            // Another folder may have been charted meanwhile.
                                            if (look && m_chart.folder() == folder)
                                                m_chart.setComparison(comparisonOf(*look));
                                        });
}
