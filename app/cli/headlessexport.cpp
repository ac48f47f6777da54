#include "app/cli/headlessexport.h"

#include "app/cli/chartjson.h"
#include "app/cli/clicomparison.h"
#include "app/cli/commandline.h"
#include "app/cli/outputfile.h"
#include "app/cli/outputtarget.h"
#include "app/cli/quietstandarderror.h"
#include "app/cli/terminalprogress.h"
#include "app/cli/unreadablefolders.h"
#include "app/diskchartsource.h"
#include "app/scanchartsource.h"
#include "chart/chartgeneration.h"
#include "chart/chartmodel.h"
#include "chart/chartpicture.h"
#include "chart/slicetext.h"
#include "export/chartworkbook.h"
#include "export/savejpg.h"
#include "export/sidetext.h"
#include "export/textfile.h"
#include "platform/nativepath.h"

#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <new>

namespace {

constexpr int BestQuality = 100;
// Folders that could not be read named on standard error, as du names them; then a count.
constexpr int UnreadableShown = 20;

// What a chart of the folder found besides the sizes: per subfolder how many folders below it
// could not be read, and the folders given up for not answering in time.
struct Gaps {
    QList<quint64> unreadable;
    QList<QByteArray> stalled;
};

// Charts folder into model with the window's generation and notes what could not be read;
// false when the folder cannot be listed, or its listing did not come back within the
// timeout (then stalled says so). Runs the event loop until the chart is complete.
bool chart(const QString &folder, const CommandLine &line, ChartModel &model, Gaps &gaps,
           bool &stalled, std::shared_ptr<ChartSource> source)
{
    QEventLoop loop;
    ChartGeneration generation(model, std::move(source));
    bool listed = false;
    QObject::connect(&generation, &ChartGeneration::refused, &loop,
                     [&](const QString &, bool timedOut) {
                         stalled = timedOut;
                         loop.quit();
                     });
    QObject::connect(&generation, &ChartGeneration::listed, &loop,
                     [&](const QString &path, int count) {
                         listed = true;
                         if (count == 0) {
                             model.reset(1, path, {});
                             loop.quit();
                         }
                     });
    QObject::connect(&generation, &ChartGeneration::stalled, &loop,
                     [&gaps](const QByteArray &path) { gaps.stalled.append(path); });
    QObject::connect(&generation, &ChartGeneration::finished, &loop, &QEventLoop::quit);
    generation.start(folder, {std::chrono::milliseconds(line.timeout), line.diskUsage});
    const TerminalProgress progress([&model] {
        int measuring = 0;
        while (measuring < model.count() && model.at(measuring).state == ChartModel::State::Done)
            ++measuring;
        return TerminalProgress::State{model.doneCount(), model.count(),
                                       measuring < model.count()
                                           ? displayPath(pathFromNative(model.at(measuring).path))
                                           : QString()};
    });
    loop.exec();
    gaps.unreadable.clear();
    for (int i = 0; i < model.count(); ++i)
        gaps.unreadable.append(generation.unreadable(i));
    return listed;
}

// Whether path is folder or lies below it.
bool isAtOrBelow(const QByteArray &path, const QByteArray &folder)
{
    return path == folder ||
           (path.startsWith(folder) && (folder.endsWith('/') || path.at(folder.size()) == '/'));
}

// Names the folders the scan could not read, those that did not answer first; the number of
// them. A subfolder holding one that did not answer is not looked through again for the
// others: that would wait on the same mount.
quint64 tellWhatCouldNotBeRead(const ChartModel &model, const Gaps &gaps,
                               const ScanChartSource *scan)
{
    quint64 total = 0;
    QList<UnreadableFolder> named;
    for (const QByteArray &path : gaps.stalled)
        named.append({path, ETIMEDOUT});
    for (int i = 0; i < model.count(); ++i) {
        if (gaps.unreadable.value(i) == 0)
            continue;
        total += gaps.unreadable.value(i);
        const bool heldUp =
            std::any_of(gaps.stalled.begin(), gaps.stalled.end(), [&](const QByteArray &path) {
                return isAtOrBelow(path, model.at(i).path);
            });
        if (scan) { // named from the scan: the disk is not looked at
            for (const QByteArray &path :
                 scan->unreadableAtOrBelow(model.at(i).path, UnreadableShown - int(named.size())))
                tellError(QStringLiteral("could not read %1 when it was scanned")
                              .arg(displayPath(pathFromNative(path))));
            continue;
        }
        if (!heldUp && named.size() < UnreadableShown)
            named += findUnreadableFolders(model.at(i).path, UnreadableShown - int(named.size()));
    }
    tellUnreadable(named, total, UnreadableShown);
    return total;
}

// The chart picture at the size asked for; when the legend needs more room it grows, and
// the size written is told.
QImage picture(const ChartModel &model, QSize asked)
{
    const QImage image = ChartPicture(model, FolderSizesTitle(), QGuiApplication::palette(),
                                      asked.isValid() ? asked : ChartPictureMinimumSize);
    if (asked.isValid() && image.size() != asked)
        tellError(QStringLiteral("the legend does not fit in %1x%2; the picture is %3x%4")
                      .arg(asked.width())
                      .arg(asked.height())
                      .arg(image.width())
                      .arg(image.height()));
    return image;
}

} // namespace

int runHeadlessExport(const CommandLine &line, const QString &folder,
                      const QList<OutputTarget> &targets, std::shared_ptr<ScanChartSource> scan)
{
    ChartModel model;
    Gaps gaps;
    bool stalled = false;
    std::shared_ptr<ChartSource> source = scan;
    if (!source)
        source = std::make_shared<DiskChartSource>();
    if (!chart(folder, line, model, gaps, stalled, std::move(source))) {
        tellError(
            QStringLiteral("cannot chart %1: %2")
                .arg(displayPath(line.folder),
                     stalled
                         ? QStringLiteral("it did not answer within %1 s").arg(line.timeout.count())
                         : QStringLiteral("Path not found")));
        return 1;
    }
    if (!line.compareWith.isEmpty()) {
        QString problem;
        std::optional<ChartComparison> comparison =
            commandLineComparison(line, model.folder(), problem);
        if (!comparison) {
            tellError(QStringLiteral("cannot compare with %1: %2")
                          .arg(displayPath(line.compareWith), problem));
            return 1;
        }
        model.setComparison(std::move(*comparison));
        std::fputs(growthSummary(model).toLocal8Bit().constData(), stderr);
    }
    const quint64 unreadableCount = tellWhatCouldNotBeRead(model, gaps, scan.get());

    bool allWritten = true;
    QImage image;
    for (const OutputTarget &target : targets) {
        try {
            if (target.binary && image.isNull())
                image = picture(model, line.pictureSize);
        } catch (const std::bad_alloc &) {
            tellError(
                QStringLiteral("cannot write %1: out of memory").arg(displayPath(target.file)));
            allWritten = false;
            continue;
        }
        switch (target.format) {
        case OutputTarget::Format::Text:
            allWritten &= writeOutput(
                target, [&model] { return textFileBytes(sideTextFileText(SideTextLines(model))); });
            break;
        case OutputTarget::Format::Json:
            allWritten &= writeOutput(target, [&] {
                const qint64 files = scan
                                         ? scan->filesDirectlyIn(nativePath(folder), line.diskUsage)
                                         : filesDirectlyIn(nativePath(folder), line.diskUsage);
                return chartJson(model, {files, gaps.unreadable});
            });
            break;
        case OutputTarget::Format::Jpg:
            allWritten &= writeOutput(target, [&image] { return EncodeJPG(image, BestQuality); });
            break;
        case OutputTarget::Format::Xlsx:
            allWritten &= writeOutputThrough(target, [&image](const QByteArray &newFile) {
                const QuietStandardError quiet;
                writeChartWorkbook(image, newFile);
            });
            break;
        }
    }
    return allWritten && unreadableCount == 0 ? 0 : 1;
}
