#pragma once

#include "chart/chartmodel.h"
#include "platform/directorylist.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

// A folder listed for a chart: Dir1's view of it and its subfolders as the chart model takes
// them (at most the first 32,767, the chart's count being a 16-bit quantity).
struct FolderListing {
    QString requested; // the folder as it was asked for
    bool listed = false;
    bool gone = false; // not listed because the folder is no longer there
    DirectoryList list;
    QList<ChartModel::Subfolder> subfolders;
};

// Lists folder on a thread of its own, so that a folder on a volume that stopped answering
// holds only that thread, and hands the result to done on the GUI thread, unless context is
// gone by then. beforeListing, when given, runs on that thread first (tests hold a listing back
// with it).
void listFolderLater(const QString &folder, QObject *context,
                     std::function<void(FolderListing)> done,
                     std::function<void(const QString &folder)> beforeListing = {});
