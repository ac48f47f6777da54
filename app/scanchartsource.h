#pragma once

#include "chart/chartsource.h"
#include "scanfile/scantree.h"

#include <QByteArray>
#include <QString>
#include <memory>

// An opened scan file as a chart's source: folders are listed and sized from the tree read
// out of the file, and nothing on the disk is touched. Paths are those that were scanned: the
// top folder's path as the file names it (/srv) and the names below it (/srv/www).
class ScanChartSource final : public ChartSource {
public:
    explicit ScanChartSource(std::shared_ptr<const ScanTree> tree);

    void list(const QString &folder, QObject *context,
              std::function<void(ChartListing)> done) override;
    std::shared_ptr<ChartSizing> size(const QList<QByteArray> &paths, const ChartOptions &options,
                                      SizingCallbacks callbacks) override;

    // The top folder's path, as the chart names it.
    QString topFolder() const;
    // The folder a path names (the top folder's path, or one below it), or -1.
    std::int64_t folderAt(const QByteArray &path) const;
    const ScanTree &tree() const { return *m_tree; }
    // What lies directly in folder besides its subfolders (lengths, or with `allocated` the
    // space on disk), as the scan recorded it.
    qint64 filesDirectlyIn(const QByteArray &folder, bool allocated) const;
    // The first `limit` folders at or below folder that could not be read when scanned.
    QList<QByteArray> unreadableAtOrBelow(const QByteArray &folder, int limit) const;

private:
    ChartListing listing(const QString &folder) const;

    const std::shared_ptr<const ScanTree> m_tree;
};
