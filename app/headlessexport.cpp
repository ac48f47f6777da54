#include "app/headlessexport.h"

#include "app/chartjson.h"
#include "app/commandline.h"
#include "app/folderlisting.h"
#include "app/outputfile.h"
#include "app/quietstandarderror.h"
#include "app/terminalprogress.h"
#include "chart/chartmodel.h"
#include "chart/chartpicture.h"
#include "chart/chartscan.h"
#include "chart/slicetext.h"
#include "export/chartworkbook.h"
#include "export/savejpg.h"
#include "export/sidetext.h"
#include "export/textfile.h"
#include "platform/nativepath.h"

#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>

namespace {

constexpr int BestQuality = 100;

// Lists folder and sizes every subfolder into model, as a window's generation of it would;
// false when the folder cannot be listed. Runs the event loop until the chart is complete.
bool chart(const QString &folder, ChartModel &model)
{
    QEventLoop loop;
    ChartScan scan;
    bool listed = false;
    QObject::connect(&scan, &ChartScan::sized, &model,
                     [&model](int index, qint64 bytes) { model.setDone(index, bytes); });
    QObject::connect(&scan, &ChartScan::finished, &loop, &QEventLoop::quit);
    listFolderLater(folder, &loop, [&](FolderListing listing) {
        listed = listing.listed;
        if (!listed || listing.subfolders.isEmpty()) {
            model.reset(1, listing.list.path(), {});
            loop.quit();
            return;
        }
        QList<QByteArray> paths;
        for (const ChartModel::Subfolder &subfolder : std::as_const(listing.subfolders))
            paths.append(subfolder.path);
        model.reset(1, listing.list.path(), std::move(listing.subfolders));
        scan.start(paths);
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
    return listed;
}

} // namespace

int runHeadlessExport(const CommandLine &line)
{
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(line.folder));
    ChartModel model;
    if (!chart(folder, model)) {
        tellError(QStringLiteral("cannot chart %1: Path not found").arg(displayPath(line.folder)));
        return 1;
    }

    bool allWritten = true;
    if (!line.textFile.isEmpty())
        allWritten &= writeOutput(line.textFile, [&model] {
            return textFileBytes(sideTextFileText(SideTextLines(model)));
        });
    if (!line.jsonFile.isEmpty())
        allWritten &= writeOutput(line.jsonFile, [&model] { return chartJson(model); });
    if (line.writesPicture()) {
        // The picture the window's exports take, at the window's chart size or at least the
        // size asked for.
        const QImage picture =
            ChartPicture(model, FolderSizesTitle, QGuiApplication::palette(),
                         line.pictureSize.isValid() ? line.pictureSize : ChartPictureMinimumSize);
        if (!line.jpgFile.isEmpty())
            allWritten &=
                writeOutput(line.jpgFile, [&picture] { return EncodeJPG(picture, BestQuality); });
        if (!line.xlsxFile.isEmpty())
            allWritten &= writeOutputThrough(line.xlsxFile, [&picture](const QByteArray &newFile) {
                const QuietStandardError quiet;
                writeChartWorkbook(picture, newFile);
            });
    }
    return allWritten ? 0 : 1;
}
