#include "app/scancomparison.h"

#include "app/scanchartsource.h"
#include "platform/nativepath.h"
#include "scanfile/scanfileread.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <memory>
#include <new>

std::optional<ChartComparison> comparisonOfScan(const ScanTree &tree, const QByteArray &folder,
                                                const QDateTime &fileTime, bool allocated)
{
    // The source only reads the tree; it is made for its path lookup.
    const auto shared = std::shared_ptr<const ScanTree>(&tree, [](const ScanTree *) {});
    const ScanChartSource source(shared);
    const std::int64_t node = source.folderAt(folder);
    if (node < 0)
        return std::nullopt;
    QList<ChartComparison::Subfolder> subfolders;
    for (const ScanTree::Index child : tree.subfolders(ScanTree::Index(node))) {
        const std::string_view name = tree.name(child);
        const QByteArray bytes(name.data(), qsizetype(name.size()));
        const QByteArray path = (folder == "/" ? folder : folder + '/') + bytes;
        subfolders.append({displayPath(pathFromNative(bytes)), path,
                           allocated ? tree.disk(child) : tree.apparent(child)});
    }
    const std::int64_t stamp = tree.origin().timestamp;
    return ChartComparison(stamp >= 0 ? QDateTime::fromSecsSinceEpoch(stamp, Qt::UTC) : fileTime,
                           std::move(subfolders));
}

std::optional<ChartComparison> readScanComparison(const QString &file, const QByteArray &folder,
                                                  QString &problem, bool allocated)
{
    try {
        const ScanTree tree = readScanPath(nativePath(file).toStdString());
        auto comparison =
            comparisonOfScan(tree, folder, QFileInfo(file).lastModified().toUTC(), allocated);
        if (!comparison)
            problem = QCoreApplication::translate("Form1", "%1 holds no scan of %2")
                          .arg(displayPath(file), displayPath(pathFromNative(folder)));
        return comparison;
    } catch (const ScanFileError &error) {
        problem = QCoreApplication::translate("Form1", "%1 cannot be read: %2")
                      .arg(displayPath(file), QString::fromStdString(error.what()));
    } catch (const std::bad_alloc &) {
        problem = QCoreApplication::translate("Form1", "%1 cannot be read: %2")
                      .arg(displayPath(file), QStringLiteral("out of memory"));
    } catch (const std::exception &error) {
        problem = QCoreApplication::translate("Form1", "%1 cannot be read: %2")
                      .arg(displayPath(file), QString::fromLocal8Bit(error.what()));
    }
    return std::nullopt;
}
