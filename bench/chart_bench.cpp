// Measures the chart generation against the bare scan of the same subfolders, and how late a
// 5 ms timer on the GUI thread fires while the generation runs; then what charting costs per
// slice as the slice count grows.
//
//   chart_bench [TREE]
//
// First, folders of 100 and of 10,000 empty subfolders (built once beside the tree below):
// the scan is next to nothing there, so what is timed is the chart's own work. Each of RUNS
// rounds times a generation of the 10,000 folder and, next to it, the median of ten of the
// 100 folder (each generation until its last repaint), and prints
//   slice-cost-ratio 10000/100 <x.xx>   the median over the rounds of time per slice at
//                                       10,000 over time per slice at 100 (and the spread)
//   max-latency-ms <n>                  the longest a 5 ms timer tick came late during the
//                                       generations of the 10,000 folder
// Then the scan comparison:
//
// Without TREE it uses a tree of 20 subfolders holding 500,000 sparse files in all, built
// once under ${XDG_CACHE_HOME:-~/.cache}/quorvane-bench/chart-500k and reused. After a warm-up
// it alternates RUNS (7 unless set) bare scans (FolderSize of every subfolder, no yield) and
// generations (the folder click of the main window, under the offscreen platform), and
// prints the median times, then
//   ratio chart/scan <x.xx>     the median over the runs of generation time over the time of
//                               the bare scan next to it (wall clock); pairing neighbours
//                               cancels most of the drift of a machine shared with others
//   cpu-ratio chart/scan <x.xx> the same for processor time
//   scan-max-latency-ms <n>     the longest a timer tick came after it was due, in any run

#include "app/form1.h"
#include "foldersize/foldersize.h"
#include "platform/launcher.h"
#include "platform/messagebox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Subfolders = 20;
constexpr int FoldersPerSubfolder = 25;
constexpr int FilesPerFolder = 1000;
constexpr int TimerPeriodMs = 5;

bool makeTree(const QString &target)
{
    const QString work = target + QStringLiteral(".partial");
    QDir(work).removeRecursively();
    for (int s = 0; s < Subfolders; ++s) {
        for (int f = 0; f < FoldersPerSubfolder; ++f) {
            const QString folder = QStringLiteral("%1/sub %2/folder %3").arg(work).arg(s).arg(f);
            if (!QDir().mkpath(folder))
                return false;
            for (int i = 0; i < FilesPerFolder; ++i) {
                const QByteArray path = (folder + QStringLiteral("/file%1").arg(i)).toLocal8Bit();
                const int fd =
                    open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (fd < 0 || ftruncate(fd, (i * 7919L) % 100000) != 0)
                    return false;
                close(fd);
            }
        }
    }
    return QDir().rename(work, target);
}

QString benchFolder()
{
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME", QDir::homePath() + "/.cache");
    return cache + QStringLiteral("/quorvane-bench");
}

// A folder of `count` empty subfolders, made once.
QString emptySubfolders(int count)
{
    const QString folder = benchFolder() + QStringLiteral("/chart-empty-%1").arg(count);
    if (QFileInfo(folder).isDir())
        return folder;
    std::fprintf(stderr, "chart_bench: building %s (once)\n", qPrintable(folder));
    const QString work = folder + QStringLiteral(".partial");
    QDir(work).removeRecursively();
    for (int i = 0; i < count; ++i)
        if (!QDir().mkpath(QStringLiteral("%1/subfolder %2").arg(work).arg(i, 5, 10, QChar(u'0'))))
            return {};
    return QDir().rename(work, folder) ? folder : QString();
}

QString defaultTree()
{
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME", QDir::homePath() + "/.cache");
    const QString tree = cache + QStringLiteral("/quorvane-bench/chart-500k");
    if (!QFileInfo(tree).isDir()) {
        std::fprintf(stderr, "chart_bench: building %s (once)\n", qPrintable(tree));
        QDir().mkpath(cache + QStringLiteral("/quorvane-bench"));
        if (!makeTree(tree))
            return {};
    }
    return tree;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Wall-clock and processor seconds of one measured stretch.
struct Times {
    double wall = 0;
    double cpu = 0;
};

double processorSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

template<typename Work> Times measure(Work &&work)
{
    QElapsedTimer clock;
    const double cpuStart = processorSeconds();
    clock.start();
    work();
    return {double(clock.nsecsElapsed()) / 1e9, processorSeconds() - cpuStart};
}

void scanEverySubfolder(const DirectoryList &list)
{
    for (int i = 0; i < list.listCount(); ++i)
        FolderSize(list.list(i).toLocal8Bit().toStdString());
}

// One folder click on the tree; lateMs grows to the worst lateness of a timer tick.
void generate(Form1 &form, const QString &tree, double &lateMs)
{
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(TimerPeriodMs);
    qint64 lastTickNs = 0;
    const auto noteTick = [&] {
        const qint64 now = clock.nsecsElapsed();
        lateMs = std::max(lateMs, double(now - lastTickNs) / 1e6 - TimerPeriodMs);
        lastTickNs = now;
    };
    QObject::connect(&ticker, &QTimer::timeout, &ticker, noteTick);
    clock.start();
    ticker.start();
    form.TreeFolder1_FolderClick(tree);
    noteTick(); // the stretch after the last tick counts too
}

// Seconds per slice of one generation of folder, until its last repaint is done.
double secondsPerSlice(Form1 &form, const QString &folder, int slices, double &lateMs)
{
    const Times times = measure([&] {
        generate(form, folder, lateMs);
        QApplication::processEvents();
    });
    return times.wall / slices;
}

// Time per slice with 10,000 slices over time per slice with 100, each round next to its
// own measure of the small folder.
bool measureSliceCost(Form1 &form, int rounds)
{
    const QString small = emptySubfolders(100);
    const QString large = emptySubfolders(10000);
    if (small.isEmpty() || large.isEmpty()) {
        std::fprintf(stderr, "chart_bench: cannot build the folders of empty subfolders\n");
        return false;
    }
    double ignoredMs = 0;
    double lateMs = 0;
    secondsPerSlice(form, small, 100, ignoredMs); // warm-up
    secondsPerSlice(form, large, 10000, ignoredMs);
    std::vector<double> ratios;
    std::vector<double> largeTimes;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> smallTimes;
        for (int i = 0; i < 10; ++i)
            smallTimes.push_back(secondsPerSlice(form, small, 100, ignoredMs));
        largeTimes.push_back(secondsPerSlice(form, large, 10000, lateMs));
        ratios.push_back(largeTimes.back() / median(smallTimes));
    }
    std::printf("chart-10000-median-s %.3f\n", median(largeTimes) * 10000);
    std::printf("slice-cost-ratio 10000/100 %.2f (min %.2f, max %.2f, %d rounds)\n", median(ratios),
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), rounds);
    std::printf("max-latency-ms %d\n", int(std::ceil(std::max(lateMs, 0.0))));
    std::fflush(stdout);
    return true;
}

// Each generation's time over the time of the bare scan of the same run.
std::vector<double> pairedRatios(const std::vector<Times> &chart, const std::vector<Times> &bare,
                                 double Times::*which)
{
    std::vector<double> ratios;
    for (std::size_t i = 0; i < chart.size() && i < bare.size(); ++i)
        ratios.push_back(chart[i].*which / bare[i].*which);
    return ratios;
}

std::vector<double> all(const std::vector<Times> &times, double Times::*which)
{
    std::vector<double> values;
    for (const Times &t : times)
        values.push_back(t.*which);
    return values;
}

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const QString tree = argc > 1 ? QString::fromLocal8Bit(argv[1]) : defaultTree();
    DirectoryList list;
    try {
        list.setPath(tree);
    } catch (const std::exception &) {
        std::fprintf(stderr, "chart_bench: cannot list %s\n", qPrintable(tree));
        return 1;
    }
    const int runs =
        qEnvironmentVariableIsSet("RUNS") ? std::max(1, qEnvironmentVariableIntValue("RUNS")) : 7;

    Form1Environment environment;
    environment.endProgram = [] {};
    Form1 form(environment);
    if (!measureSliceCost(form, runs))
        return 1;
    double lateMs = 0;
    scanEverySubfolder(list); // warms the cache
    std::vector<Times> bare;
    std::vector<Times> chart;
    for (int run = 0; run < runs; ++run) {
        // Alternating which goes first evens out a machine that slows down or speeds up.
        const auto bareRun = [&] { bare.push_back(measure([&] { scanEverySubfolder(list); })); };
        const auto chartRun = [&] {
            chart.push_back(measure([&] { generate(form, tree, lateMs); }));
        };
        if (run % 2) {
            chartRun();
            bareRun();
        } else {
            bareRun();
            chartRun();
        }
    }
    std::printf("subfolders %d, runs %d\n", list.listCount(), runs);
    std::printf("scan-median-s %.3f\nchart-median-s %.3f\n", median(all(bare, &Times::wall)),
                median(all(chart, &Times::wall)));
    std::printf("ratio chart/scan %.2f\n", median(pairedRatios(chart, bare, &Times::wall)));
    std::printf("cpu-ratio chart/scan %.2f\n", median(pairedRatios(chart, bare, &Times::cpu)));
    std::printf("scan-max-latency-ms %d\n", int(std::ceil(std::max(lateMs, 0.0))));
    return 0;
}
