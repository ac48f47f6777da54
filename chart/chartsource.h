#pragma once

#include "chart/chartmodel.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>

// A folder's subfolders as a source lists them.
struct ChartListing {
    bool listed = false; // false: the folder cannot be listed
    QString folder;      // the folder as listed, the path the model takes
    QList<ChartModel::Subfolder> subfolders;
};

// How a generation sizes its subfolders.
struct ChartOptions {
    // A folder whose open or read (the listing's included) has not returned after this long
    // (a dead network or FUSE mount) is given up, and the rest goes on. Zero waits for ever.
    std::chrono::milliseconds stallBound{0};
    // Sizes as the space allocated on disk, as du counts it, instead of file lengths.
    bool allocated = false;
};

// What a source found below one subfolder.
struct SubfolderTotal {
    qint64 bytes = 0;
    quint64 unreadable = 0; // folders at or below it that could not be opened or read
};

// Subfolders being sized; dropping the last handle stops it.
class ChartSizing {
public:
    virtual ~ChartSizing() = default;
    // Returns at once; afterwards no callback of this sizing runs or is still running.
    virtual void stop() = 0;
};

// Where a chart generation takes its folders and sizes from: the live disk, or a scan saved
// before. Called on the generation's thread; the answers may come on any thread.
class ChartSource {
public:
    struct SizingCallbacks {
        // Once per path, in any order; index is the path's place in the list.
        std::function<void(int index, const SubfolderTotal &total)> sized;
        // A folder at or below one of the paths did not answer within the bound.
        std::function<void(const QByteArray &path)> stalled;
    };

    virtual ~ChartSource() = default;

    // Lists folder's subfolders without holding up the caller; done runs once, on context's
    // thread, unless context is gone by then.
    virtual void list(const QString &folder, QObject *context,
                      std::function<void(ChartListing)> done) = 0;
    // Starts sizing paths (the file system's bytes) and returns at once.
    virtual std::shared_ptr<ChartSizing> size(const QList<QByteArray> &paths,
                                              const ChartOptions &options,
                                              SizingCallbacks callbacks) = 0;
};
