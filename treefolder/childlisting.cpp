#include "treefolder/childlisting.h"

#include "platform/directorylist.h"
#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "posix/offthread.h"
#include "treefolder/folderprobe.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

std::shared_ptr<ChildListing> ChildListing::start(const QString &path, QSet<QString> mountPoints)
{
    auto listing = std::make_shared<ChildListing>();
    // Detached: a thread is only ever waited for through the listing's own state. Without a
    // thread the folder is listed here and now, as a small one is: its mount points are left
    // alone either way.
    runDetached([listing, path, points = std::move(mountPoints)] { listing->run(path, points); },
                WithoutThread::RunHere);
    return listing;
}

bool ChildListing::isLarge(const QString &path, int entries)
{
    DIR *dir = opendir(nativePath(path).constData());
    if (!dir)
        return false;
    int read = 0;
    while (read <= entries && readdir(dir))
        ++read;
    closedir(dir);
    return read > entries;
}

void ChildListing::run(const QString &path, const QSet<QString> &mountPoints)
{
    DirectoryList list;
    bool opened = true;
    try {
        list.setPath(path);
    } catch (const RuntimeError &) {
        opened = false;
    }
    {
        const std::lock_guard lock(m_mutex);
        m_count = opened ? list.listCount() : -1;
        m_ready.reserve(opened ? list.listCount() : 0);
    }
    // Where the file system counts subfolders in a folder's links, one status of each child
    // relative to the folder answers; a child on another device is read after all.
    const int fd =
        opened ? open(nativePath(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1;
    struct stat folder;
    const bool byLinks = fd >= 0 && fstat(fd, &folder) == 0 && linkCountsSubfolders(fd);
    const qsizetype nameStart = list.path() == QLatin1String("/") ? 1 : list.path().size() + 1;
    constexpr int Chunk = 64; // children published at once, so the lock is seldom taken
    QList<Child> chunk;
    for (int i = 0; i < list.listCount(); ++i) {
        Child child{list.list(i), std::nullopt, false};
        if (!mountPoints.contains(child.path)) {
            struct stat st;
            if (byLinks &&
                fstatat(fd, nativePath(child.path.mid(nameStart)).constData(), &st,
                        AT_SYMLINK_NOFOLLOW) == 0 &&
                st.st_dev == folder.st_dev)
                child.hasSubfolder = subfoldersByLinkCount(st);
            if (!child.hasSubfolder)
                child.hasSubfolder = hasSubfolder(child.path);
            child.probed = true;
        }
        chunk.append(child);
        if (chunk.size() == Chunk || i + 1 == list.listCount()) {
            const std::lock_guard lock(m_mutex);
            if (m_cancelled)
                break;
            m_ready.append(chunk);
            chunk.clear();
        }
    }
    if (fd >= 0)
        close(fd);
    const std::lock_guard lock(m_mutex);
    m_finished = true;
    m_done.notify_all();
}

std::optional<int> ChildListing::count() const
{
    const std::lock_guard lock(m_mutex);
    return m_count;
}

QList<ChildListing::Child> ChildListing::take(int max)
{
    const std::lock_guard lock(m_mutex);
    const int n = std::min(max, int(m_ready.size()) - m_taken);
    QList<Child> children = m_ready.mid(m_taken, n);
    m_taken += n;
    return children;
}

void ChildListing::waitUntilDone()
{
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_finished; });
}

void ChildListing::cancel()
{
    const std::lock_guard lock(m_mutex);
    m_cancelled = true;
}
