// What acting on a folder from the window costs, on a tree of 20 subfolders holding 500,000
// sparse files in all (built once under ${XDG_CACHE_HOME:-~/.cache}/quorvane-bench/action-500k,
// with a subfolder of 100,000 empty files beside them), charted in the window under the
// offscreen platform with its size memory, as the program runs it:
//
//   trash-return-ms <median> (min, max)   from Move to Trash chosen (the confirmation answered
//                                         at once) to the chart showing the new total, for
//                                         the subfolder of 100,000 files; Undo puts it back
//                                         between rounds (undo-return-ms likewise)
//   live-update-ms <median> (min, max)    from a file appended in a subfolder of the chart to
//                                         the slice showing its new size
//   live-cost-ratio <median> (min, max)   processor time of the process over that stretch
//                                         over that of a full walk of the charted folder
//                                         without memory, measured next to it
//   live-vs-du-ratio <median> (min, max)  the same over `du -sb` of the folder, next to it
//   gui-max-busy-ms <x.x>                 the longest the GUI thread worked on one event
//                                         during the moves, Undos and live updates (its own
//                                         processor time; wall time in brackets)
//
// Rounds alternate the live update, the walk and du (RUNS rounds, 7 unless set, at least 5).
// HOME and XDG_DATA_HOME point into the cache folder, so the Trash used is a private one on
// the tree's own volume.

#include "app/folderactions.h"
#include "app/form1.h"
#include "app/livechart.h"
#include "foldersize/foldersize.h"
#include "foldersize/sizememory.h"
#include "platform/confirmbox.h"
#include "platform/launcher.h"
#include "platform/messagebox.h"
#include "timedapplication.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int Subfolders = 20;
constexpr int FoldersPerSubfolder = 25;
constexpr int FilesPerFolder = 1000;
constexpr int TrashFiles = 100000;
constexpr int SettleMs = 1200; // past the live chart's gathering of changes

class Yes : public ConfirmBox {
public:
    void ask(const QString &, const QString &, const QString &,
             std::function<void(bool)> answer) override
    {
        answer(true);
    }
};

class NoLauncher : public Launcher {
public:
    bool openUrl(const QString &) override { return false; }
    bool startProgram(const QString &, const QStringList &) override { return false; }
};

class QuietBox : public MessageBox {
public:
    void show(const QString &, const QString &, Icon) override {}
};

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
}

double childrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3);
}

bool emptyFiles(const QString &folder, int count, auto length)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < count; ++i) {
        const QByteArray path = (folder + QStringLiteral("/file%1").arg(i)).toLocal8Bit();
        const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ftruncate(fd, length(i)) != 0)
            return false;
        close(fd);
    }
    return true;
}

QString benchTree(const QString &cache)
{
    const QString tree = cache + QStringLiteral("/action-500k");
    if (QFileInfo(tree).isDir())
        return tree;
    std::fprintf(stderr, "action_bench: building %s (once)\n", qPrintable(tree));
    const QString work = tree + QStringLiteral(".partial");
    QDir(work).removeRecursively();
    for (int s = 0; s < Subfolders; ++s)
        for (int f = 0; f < FoldersPerSubfolder; ++f)
            if (!emptyFiles(QStringLiteral("%1/sub %2/folder %3").arg(work).arg(s).arg(f),
                            FilesPerFolder, [](int i) { return (i * 7919L) % 100000; }))
                return {};
    if (!emptyFiles(work + QStringLiteral("/to trash"), TrashFiles, [](int) { return 0L; }))
        return {};
    return QDir().rename(work, tree) ? tree : QString();
}

// Runs the event loop until done says so, sleeping while nothing happens (a timer wakes it
// every millisecond to ask), so that the wait itself costs next to no processor time.
template<class Done> bool runUntil(Done done, int boundMs = 60000)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake;
    wake.start(1);
    while (!done()) {
        if (clock.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void pause(int ms)
{
    QElapsedTimer clock;
    clock.start();
    runUntil([&] { return clock.elapsed() >= ms; });
}

// Until the chart has followed what the last action changed on disk.
void settle(const Form1 &form)
{
    pause(SettleMs);
    runUntil([&] { return !form.liveChart()->busy(); });
    pause(SettleMs);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void print(const char *name, const std::vector<double> &values, const char *format = "%.1f")
{
    std::printf("%s ", name);
    std::printf(format, median(values));
    std::printf(" (min ");
    std::printf(format, *std::min_element(values.begin(), values.end()));
    std::printf(", max ");
    std::printf(format, *std::max_element(values.begin(), values.end()));
    std::printf(", %zu runs)\n", values.size());
}

int indexOf(const ChartModel &model, const QString &name)
{
    for (int i = 0; i < model.count(); ++i)
        if (model.at(i).name == name)
            return i;
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int runs =
        qEnvironmentVariableIsSet("RUNS") ? std::max(5, qEnvironmentVariableIntValue("RUNS")) : 7;
    const QString cache =
        qEnvironmentVariable("XDG_CACHE_HOME", QDir::homePath() + QStringLiteral("/.cache")) +
        QStringLiteral("/quorvane-bench");
    QDir().mkpath(cache);
    const QString home = cache + QStringLiteral("/action-home");
    QDir(home + QStringLiteral("/data/Trash")).removeRecursively();
    QDir().mkpath(home + QStringLiteral("/data"));
    setenv("HOME", qPrintable(home), 1);
    setenv("XDG_DATA_HOME", qPrintable(home + QStringLiteral("/data")), 1);
    TimedApplication application(argc, argv);
    const QString tree = benchTree(cache);
    if (tree.isEmpty()) {
        std::fprintf(stderr, "action_bench: cannot build the tree\n");
        return 1;
    }

    Form1Environment environment;
    environment.confirmBox = std::make_shared<Yes>();
    environment.launcher = std::make_shared<NoLauncher>();
    environment.messageBox = std::make_shared<QuietBox>();
    environment.sizeMemory = std::make_shared<SizeMemory>(SizeMemorySettings{});
    Form1 form(environment);
    form.show();
    form.TreeFolder1_FolderClick(tree);
    if (!runUntil([&] { return form.idle() && form.liveChart()->following(); }, 600000) ||
        !environment.sizeMemory->waitBuilt(std::chrono::minutes(10))) {
        std::fprintf(stderr, "action_bench: the chart did not complete\n");
        return 1;
    }
    pause(1500);
    const ChartModel &model = form.chartModel();
    const qint64 fullTotal = model.total();

    // Move to Trash and Undo, RUNS times each.
    std::vector<double> trashMs, undoMs;
    application.setMeasuring(true);
    for (int run = 0; run < runs; ++run) {
        const int at = indexOf(model, QStringLiteral("to trash"));
        const auto target = form.folderActions()->targetOfColumn(at + 1);
        if (at < 0 || !target || !target->trashRefusal.isEmpty()) {
            std::fprintf(stderr, "action_bench: the folder to trash is not offered\n");
            return 1;
        }
        const qint64 without = fullTotal - model.at(at).bytes;
        QElapsedTimer clock;
        clock.start();
        form.folderActions()->moveToTrash(*target);
        if (!runUntil([&] {
                return model.total() == without && indexOf(model, QStringLiteral("to trash")) < 0;
            })) {
            std::fprintf(stderr, "action_bench: the move did not reach the chart\n");
            return 1;
        }
        QCoreApplication::processEvents(); // the repaint
        trashMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        settle(form);
        clock.restart();
        form.folderActions()->undo();
        if (!runUntil([&] {
                return model.total() == fullTotal &&
                       indexOf(model, QStringLiteral("to trash")) >= 0;
            })) {
            std::fprintf(stderr, "action_bench: Undo did not reach the chart\n");
            return 1;
        }
        QCoreApplication::processEvents();
        undoMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        settle(form);
    }

    // Live updates, alternating with a walk without memory and du.
    const QString grown = tree + QStringLiteral("/sub 3/folder 7/file1");
    const int slice = indexOf(model, QStringLiteral("sub 3"));
    std::vector<double> liveMs, liveRatio, duRatio;
    for (int run = 0; run < runs; ++run) {
        const qint64 before = model.at(slice).bytes;
        const double cpu = processCpuMs();
        QElapsedTimer clock;
        clock.start();
        {
            QFile file(grown);
            if (!file.open(QIODevice::Append) || file.write(QByteArray(4096, 'x')) != 4096)
                return 1;
        }
        if (!runUntil([&] { return model.at(slice).bytes == before + 4096; })) {
            std::fprintf(stderr, "action_bench: the append did not reach the chart\n");
            return 1;
        }
        const double liveCpu = processCpuMs() - cpu;
        liveMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        application.setMeasuring(false);
        environment.sizeMemory->waitBuilt(std::chrono::minutes(1));

        const double walkStart = processCpuMs();
        const qint64 walked = FolderSize(tree.toStdString()).bytes();
        const double walkCpu = processCpuMs() - walkStart;
        if (walked != model.total()) {
            std::fprintf(stderr, "action_bench: the chart shows %lld, a walk finds %lld\n",
                         (long long)model.total(), (long long)walked);
            return 1;
        }
        const double duStart = childrenCpuMs();
        QProcess du;
        du.setStandardOutputFile(QProcess::nullDevice());
        du.start(QStringLiteral("du"), {QStringLiteral("-sb"), tree});
        du.waitForFinished(-1);
        const double duCpu = childrenCpuMs() - duStart;
        liveRatio.push_back(liveCpu / walkCpu);
        duRatio.push_back(liveCpu / duCpu);
        application.setMeasuring(true);
        settle(form);
    }
    application.setMeasuring(false);
    // Put the tree back as it was for the next run.
    QFile(grown).resize(QFileInfo(grown).size() - qint64(runs) * 4096);

    print("trash-return-ms", trashMs);
    print("undo-return-ms", undoMs);
    print("live-update-ms", liveMs);
    print("live-cost-ratio", liveRatio, "%.4f");
    print("live-vs-du-ratio", duRatio, "%.4f");
    std::printf("gui-max-busy-ms %.1f (thread processor time; wall %.1f)\n",
                application.longestMs(), application.longestWallMs());
    return 0;
}
