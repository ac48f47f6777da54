// The GUI thread's share of recording a chart in the history: copying what a completed chart
// of 32,000 subfolders showed and queueing it for the history's thread, as the window does when
// a chart is done. The writing itself happens on the history's own thread and is timed apart.
// Prints:
//   history-ms <x.xxx> (<lowest>..<highest>)     median time on the calling thread
//   history-write-ms <x> (<lowest>..<highest>)   median time the history's thread took to
//                                                write one such look, for information
//
//   build/bench/history_bench [ROUNDS]
#include "app/historylookof.h"
#include "chart/chartmodel.h"
#include "history/historyrecorder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int Subfolders = 32000;

struct Spread {
    double median = 0;
    double lowest = 0;
    double highest = 0;
};

Spread spread(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

double msSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    QTemporaryDir data;
    if (!data.isValid()) {
        std::fprintf(stderr, "history_bench: no temporary folder\n");
        return 1;
    }
    QList<ChartModel::Subfolder> subfolders;
    subfolders.reserve(Subfolders);
    for (int i = 0; i < Subfolders; ++i) {
        const QString name = QStringLiteral("subfolder %1").arg(i, 5, 10, QLatin1Char('0'));
        subfolders.append({name, "/srv/data/" + name.toUtf8(), qint64(i) * 4096});
    }
    ChartModel model;
    model.reset(1, QStringLiteral("/srv/data"), subfolders);
    for (int i = 0; i < Subfolders; ++i)
        model.setDone(i, qint64(i) * 4096);

    HistoryRecorder recorder(data.path());
    std::vector<double> gui;
    std::vector<double> write;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        if (auto look = historyLookOf(model, false, QDateTime::currentMSecsSinceEpoch()))
            recorder.record(std::move(*look));
        gui.push_back(msSince(start));
        recorder.waitForWork();
        write.push_back(msSince(start));
    }
    const Spread g = spread(gui);
    const Spread w = spread(write);
    std::printf("history-ms %.3f (%.3f..%.3f)\n", g.median, g.lowest, g.highest);
    std::printf("history-write-ms %.0f (%.0f..%.0f)\n", w.median, w.lowest, w.highest);
    return 0;
}
