#include "app/cli/openscan.h"

#include "app/cli/commandline.h"
#include "app/scanchartsource.h"
#include "platform/nativepath.h"
#include "scanfile/scanfileread.h"

std::shared_ptr<ScanChartSource> openScanFile(const CommandLine &line, QString &folder,
                                              QString &problem)
{
    std::shared_ptr<ScanChartSource> scan;
    try {
        scan = std::make_shared<ScanChartSource>(std::make_shared<const ScanTree>(
            readScanPath(nativePath(line.openScanFile).toStdString())));
    } catch (const std::exception &error) {
        problem = QStringLiteral("cannot open the scan %1: %2")
                      .arg(displayPath(line.openScanFile), QString::fromLocal8Bit(error.what()));
        return nullptr;
    }
    const QString top = scan->topFolder();
    folder = line.folder.isEmpty()          ? top
             : line.folder.startsWith(u'/') ? line.folder
             : top == QLatin1String("/")    ? top + line.folder
                                            : top + u'/' + line.folder;
    if (scan->folderAt(nativePath(folder)) < 0) {
        problem = QStringLiteral("cannot chart %1: the scan %2 holds no such folder")
                      .arg(displayPath(folder), displayPath(line.openScanFile));
        return nullptr;
    }
    folder = pathFromNative(nativePath(folder)); // as listed: no trailing separator
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    return scan;
}
