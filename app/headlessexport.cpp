#include "app/headlessexport.h"

#include "app/chartjson.h"
#include "app/commandline.h"
#include "app/folderlisting.h"
#include "app/outputfile.h"
#include "app/outputtarget.h"
#include "app/quietstandarderror.h"
#include "app/terminalprogress.h"
#include "app/unreadablefolders.h"
#include "chart/chartmodel.h"
#include "chart/chartpicture.h"
#include "chart/slicetext.h"
#include "export/chartworkbook.h"
#include "export/savejpg.h"
#include "export/sidetext.h"
#include "export/textfile.h"
#include "foldersize/sizescan.h"
#include "platform/nativepath.h"

#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>

namespace {

constexpr int BestQuality = 100;
// Folders that could not be read named on standard error, as du names them; then a count.
constexpr int UnreadableShown = 20;

SizeScanOptions scanOptions(bool diskUsage)
{
    SizeScanOptions options;
    options.allocated = diskUsage;
    return options;
}

// Lists folder and sizes every subfolder into model, as a window's generation of it would,
// and notes how many folders below each subfolder could not be read; false when the folder
// cannot be listed. Runs the event loop until the chart is complete.
bool chart(const QString &folder, bool diskUsage, ChartModel &model, QList<quint64> &unreadable)
{
    QEventLoop loop;
    std::shared_ptr<SizeScan> scan;
    bool listed = false;
    listFolderLater(folder, &loop, [&](FolderListing listing) {
        listed = listing.listed;
        if (!listed || listing.subfolders.isEmpty()) {
            model.reset(1, listing.list.path(), {});
            loop.quit();
            return;
        }
        std::vector<std::string> paths;
        for (const ChartModel::Subfolder &subfolder : std::as_const(listing.subfolders))
            paths.push_back(subfolder.path.toStdString());
        unreadable.fill(0, listing.subfolders.size());
        model.reset(1, listing.list.path(), std::move(listing.subfolders));
        // Totals come on the scan's threads and are applied here; stop() below returns only
        // once no callback runs, and calls still queued go with the loop.
        scan = SizeScan::start(
            std::move(paths),
            [&](std::size_t index, const FolderTotal &total) {
                const qint64 bytes = total.bytes.bytes();
                const quint64 below = total.unreadable;
                QMetaObject::invokeMethod(
                    &loop,
                    [&model, &unreadable, index, bytes, below] {
                        model.setDone(int(index), bytes);
                        unreadable[qsizetype(index)] = below;
                    },
                    Qt::QueuedConnection);
            },
            [&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); },
            scanOptions(diskUsage));
    });
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
    if (scan)
        scan->stop();
    return listed;
}

// Names the folders the scan could not read; the number of them.
quint64 tellWhatCouldNotBeRead(const ChartModel &model, const QList<quint64> &unreadable)
{
    quint64 total = 0;
    QList<UnreadableFolder> named;
    for (int i = 0; i < model.count(); ++i) {
        if (unreadable.value(i) == 0)
            continue;
        total += unreadable.value(i);
        if (named.size() < UnreadableShown)
            named += findUnreadableFolders(model.at(i).path, UnreadableShown - int(named.size()));
    }
    tellUnreadable(named, total, UnreadableShown);
    return total;
}

// The chart picture at the size asked for; when the legend needs more room it grows, and
// the size written is told.
QImage picture(const ChartModel &model, QSize asked)
{
    const QImage image = ChartPicture(model, FolderSizesTitle, QGuiApplication::palette(),
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
                      const QList<OutputTarget> &targets)
{
    ChartModel model;
    QList<quint64> unreadable;
    if (!chart(folder, line.diskUsage, model, unreadable)) {
        tellError(QStringLiteral("cannot chart %1: Path not found").arg(displayPath(line.folder)));
        return 1;
    }
    const quint64 unreadableCount = tellWhatCouldNotBeRead(model, unreadable);

    bool allWritten = true;
    QImage image;
    for (const OutputTarget &target : targets) {
        if (target.binary && image.isNull())
            image = picture(model, line.pictureSize);
        switch (target.format) {
        case OutputTarget::Format::Text:
            allWritten &= writeOutput(
                target, [&model] { return textFileBytes(sideTextFileText(SideTextLines(model))); });
            break;
        case OutputTarget::Format::Json:
            allWritten &= writeOutput(target, [&] {
                return chartJson(model,
                                 {filesDirectlyIn(nativePath(folder), line.diskUsage), unreadable});
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
