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
    if (auto look = historyLookOf(m_chart, false, QDateTime::currentMSecsSinceEpoch())) {
        m_environment.history->record(std::move(*look));
        listEarlierLooks(m_chart.folder()); // asked after the write, so it is among them
    }
}

void Form1::compareWithHistory(const QString &folder)
{
    // Charting the same folder again (Refresh) keeps the comparison the user sees or chose.
    // The model holds the new folder already: the folder compared is kept apart.
    if (folder == m_comparedFolder && m_chart.comparison().isSet()) {
        listEarlierLooks(folder);
        return;
    }
    m_comparedFolder = folder;
    m_chart.setComparison({});
    m_comparedLook = 0;
    m_earlierLooks.clear();
    if (!m_environment.history)
        return;
    m_environment.history->latestBefore(
        nativePath(folder), false, QDateTime::currentMSecsSinceEpoch() - ComparedAtLeastMs, this,
        [this, folder](std::optional<HistoryLook> look) {
            // Another folder may have been charted meanwhile, or another comparison chosen.
            if (look && m_chart.folder() == folder && !m_chart.comparison().isSet()) {
                m_chart.setComparison(comparisonOf(*look));
                m_comparedLook = look->id;
            }
        });
    listEarlierLooks(folder);
}

void Form1::listEarlierLooks(const QString &folder)
{
    if (!m_environment.history)
        return;
    m_environment.history->looks(nativePath(folder), false, this,
                                 [this, folder](std::vector<HistoryLookTime> looks) {
                                     if (m_chart.folder() == folder)
                                         m_earlierLooks = std::move(looks);
                                 });
}

void Form1::compareWithLook(qint64 id)
{
    if (!m_environment.history)
        return;
    const QString folder = m_chart.folder();
    m_environment.history->look(id, this, [this, folder, id](std::optional<HistoryLook> look) {
        if (look && m_chart.folder() == folder) {
            m_chart.setComparison(comparisonOf(*look));
            m_comparedLook = id;
        }
    });
}
