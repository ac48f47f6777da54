#include "app/historylookof.h"

#include "chart/chartmodel.h"
#include "platform/nativepath.h"

#include <QDateTime>

std::optional<HistoryLook> historyLookOf(const ChartModel &model, bool allocated, qint64 takenMs)
{
    if (model.generation() == 0 || !model.allDone())
        return std::nullopt;
    HistoryLook look;
    look.folder = nativePath(model.folder());
    look.takenMs = takenMs;
    look.allocated = allocated;
    look.total = model.total();
    look.entries.reserve(model.count());
    for (int i = 0; i < model.count(); ++i) {
        const ChartModel::Subfolder &subfolder = model.at(i);
        if (subfolder.notAnswering)
            return std::nullopt;
        look.entries.append({subfolder.name, subfolder.path, subfolder.bytes});
    }
    return look;
}

ChartComparison comparisonOf(const HistoryLook &look)
{
    QList<ChartComparison::Subfolder> subfolders;
    subfolders.reserve(look.entries.size());
    for (const HistoryEntry &entry : look.entries)
        subfolders.append({entry.name, entry.path, entry.bytes});
    return ChartComparison(QDateTime::fromMSecsSinceEpoch(look.takenMs, Qt::UTC),
                           std::move(subfolders));
}
