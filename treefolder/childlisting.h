#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>

// The subfolders of one folder, listed and probed on a thread of its own, so that a folder of
// many thousand subfolders keeps the window answering while the tree takes the children in
// batches. The order is the directory list's (by name, case aside).
class ChildListing {
public:
    struct Child {
        QString path;
        // Whether the child has a subfolder; nullopt when it cannot be opened or was not
        // probed (it is a mount point: another volume, which the tree asks first).
        std::optional<bool> hasSubfolder;
        bool probed = false;
    };

    // Starts listing path. Children whose path is in mountPoints are listed but not touched.
    static std::shared_ptr<ChildListing> start(const QString &path, QSet<QString> mountPoints);

    // Whether path holds more than `entries` directory entries of any kind; reads no further.
    // A folder that cannot be opened is not large (its failure is reported where it is listed).
    static bool isLarge(const QString &path, int entries);

    // Never waits. nullopt while the listing is under way; then the child count, or -1 when
    // the folder could not be opened.
    std::optional<int> count() const;
    // The next children probed since the last take, at most max; never waits.
    QList<Child> take(int max);
    // Waits until every child is probed (or the folder failed).
    void waitUntilDone();
    // The thread stops at the next child; nothing is taken any more.
    void cancel();

private:
    void run(const QString &path, const QSet<QString> &mountPoints);

    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    std::optional<int> m_count;
    QList<Child> m_ready;
    int m_taken = 0;
    bool m_finished = false;
    bool m_cancelled = false;
};
