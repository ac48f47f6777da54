#include "app/cli/clicomparison.h"

#include "app/cli/commandline.h"
#include "app/historylookof.h"
#include "app/scancomparison.h"
#include "chart/changetext.h"
#include "chart/chartmodel.h"
#include "chart/slicetext.h"
#include "history/historyrecorder.h"
#include "history/historystore.h"
#include "platform/nativepath.h"

#include <QDateTime>
#include <QFile>
#include <QLocale>
#include <algorithm>

namespace {

constexpr int GrowthShown = 5;

std::optional<ChartComparison> historyComparison(const QString &folder, bool allocated,
                                                 QString &problem)
{
    if (!historyWanted()) {
        problem = QStringLiteral("the history is off (QUORVANE_HISTORY=0)");
        return std::nullopt;
    }
    HistoryStore store(defaultHistoryFolder());
    if (!QFile::exists(store.filePath())) {
        problem = QStringLiteral("there is no history (%1)").arg(displayPath(store.filePath()));
        return std::nullopt;
    }
    // A read only: a damaged file is left for the window, which moves it aside.
    if (store.openToRead() != HistoryStore::State::Ready) {
        problem = store.takeMessage();
        return std::nullopt;
    }
    const std::optional<HistoryLook> look =
        store.latestBefore(nativePath(folder), allocated, QDateTime::currentMSecsSinceEpoch());
    if (store.state() != HistoryStore::State::Ready) {
        problem = store.takeMessage();
        return std::nullopt;
    }
    if (!look) {
        problem = QStringLiteral("the history holds no look of %1%2")
                      .arg(displayPath(folder),
                           allocated ? QStringLiteral(" with --disk-usage") : QString());
        return std::nullopt;
    }
    return comparisonOf(*look);
}

} // namespace

std::optional<ChartComparison> commandLineComparison(const CommandLine &line, const QString &folder,
                                                     QString &problem)
{
    if (line.compareWith == CommandLine::CompareWithHistory)
        return historyComparison(folder, line.diskUsage, problem);
    std::optional<ChartComparison> comparison =
        readScanComparison(line.compareWith, nativePath(folder), problem, line.diskUsage);
    return comparison;
}

QString growthSummary(const ChartModel &model)
{
    const ChartComparison &comparison = model.comparison();
    if (!comparison.isSet())
        return {};
    const QDate day = comparison.when().toLocalTime().date();
    qint64 before = 0;
    for (const ChartComparison::Subfolder &subfolder : comparison.subfolders())
        before += subfolder.bytes;
    const qint64 change = model.total() - before;
    QString text = QStringLiteral("since %1: %2, %3%4\n")
                       .arg(QLocale::c().toString(day, QStringLiteral("d MMM yyyy")),
                            SliceSizeText(model.total()), change < 0 ? QStringLiteral("-") : "+",
                            SliceSizeText(change < 0 ? -change : change));
    struct Growth {
        int index;
        qint64 bytes;
    };
    std::vector<Growth> growth;
    for (int i = 0; i < model.count(); ++i)
        if (const std::optional<qint64> grew = ChangeBytes(model, i); grew && *grew > 0)
            growth.push_back({i, *grew});
    std::stable_sort(growth.begin(), growth.end(),
                     [](const Growth &a, const Growth &b) { return a.bytes > b.bytes; });
    for (std::size_t i = 0; i < std::min<std::size_t>(GrowthShown, growth.size()); ++i) {
        const ChartModel::Subfolder &subfolder = model.at(growth[i].index);
        const bool isNew = !comparison.bytesBefore(subfolder.path);
        text += QStringLiteral("  +%1  %2%3\n")
                    .arg(SliceSizeText(growth[i].bytes), displayPath(subfolder.name),
                         isNew ? QStringLiteral(" (new)") : QString());
    }
    return text;
}
