#include "scanfile/scanfilewrite.h"

#include "foldersize/scanpool.h"
#include "foldersize/scansystem.h"
#include "scanfile/scanentrytext.h"
#include "scanfile/scanfilewalk.h"

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t FlushAt = 256 * 1024;

// A part of the file: text known already, or a subtree a worker writes.
struct Piece {
    std::string text;
    bool isSubtree = false;
    int parentFd = -1;
    ScanSubfolder sub{};
    dev_t parentDev = 0;
    bool done = false; // guarded by Pieces::lock
};

struct Pieces {
    std::vector<Piece> list;
    std::vector<int> open; // folders listed on the calling thread, whose subtrees wait
    std::mutex lock;
    std::condition_variable doneChanged;
    std::atomic<std::size_t> nextTaken{0};
    std::atomic<bool> stopped{false};
    std::exception_ptr failure;

    ~Pieces()
    {
        for (const int fd : open)
            close(fd);
    }
};

std::string absolute(const std::string &folder)
{
    std::string path = folder;
    if (path.empty() || path[0] != '/') {
        char here[4096];
        if (!getcwd(here, sizeof here))
            throw std::runtime_error(std::strerror(errno));
        path = std::string(here) + "/" + path;
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Lists a folder on the calling thread and leaves its subfolders as subtrees for the workers.
void split(Pieces &pieces, std::size_t at)
{
    Piece subtree = std::move(pieces.list[at]);
    std::vector<Piece> parts(1);
    const int fd =
        openScanSubfolder(subtree.parentFd, subtree.sub, subtree.parentDev, parts[0].text);
    if (fd >= 0) {
        pieces.open.push_back(fd);
        parts[0].text += ",[";
        std::vector<ScanSubfolder> subs;
        listScanFolder(fd, subtree.sub.name, subtree.sub.st,
                       subtree.sub.st.st_dev != subtree.parentDev, parts[0].text, subs);
        for (ScanSubfolder &sub : subs)
            parts.push_back({{}, true, fd, std::move(sub), subtree.sub.st.st_dev});
        parts.push_back({"]"});
    }
    pieces.list.erase(pieces.list.begin() + std::ptrdiff_t(at));
    pieces.list.insert(pieces.list.begin() + std::ptrdiff_t(at),
                       std::make_move_iterator(parts.begin()),
                       std::make_move_iterator(parts.end()));
}

// Splits the largest-looking top levels until there are enough subtrees to keep every worker
// busy while the last ones finish.
void splitTopLevels(Pieces &pieces, unsigned threads)
{
    for (int level = 0; level < 3; ++level) {
        std::size_t subtrees = 0;
        for (const Piece &piece : pieces.list)
            subtrees += piece.isSubtree;
        if (subtrees == 0 || subtrees >= 8 * threads)
            return;
        for (std::size_t at = pieces.list.size(); at-- > 0;)
            if (pieces.list[at].isSubtree)
                split(pieces, at);
    }
}

void work(Pieces &pieces)
{
    for (;;) {
        const std::size_t at = pieces.nextTaken.fetch_add(1);
        if (at >= pieces.list.size() || pieces.stopped.load())
            return;
        Piece &piece = pieces.list[at];
        if (piece.isSubtree) {
            try {
                writeScanSubtree(piece.parentFd, piece.sub, piece.parentDev, piece.text, {},
                                 pieces.stopped);
            } catch (...) {
                const std::lock_guard hold(pieces.lock);
                if (!pieces.failure)
                    pieces.failure = std::current_exception();
                pieces.stopped = true;
            }
        }
        const std::lock_guard hold(pieces.lock);
        piece.done = true;
        pieces.doneChanged.notify_all();
    }
}

} // namespace

void writeScanFile(const std::string &folder, const std::string &version,
                   const std::function<void(std::string_view)> &sink, unsigned threads)
{
    // As many as the scanner's pool: a walk waits on the disk when the cache is cold.
    if (threads == 0)
        threads = unsigned(ScanThreadCount());
    const std::string path = absolute(folder);
    struct stat rootSt;
    const int rootFd = ScanSystem::real()->openRoot(path, rootSt);
    if (rootFd < 0)
        throw std::runtime_error(errno == EXDEV ? "a kernel pseudo filesystem holds no files"
                                                : std::strerror(errno));
    Pieces pieces;
    pieces.open.push_back(rootFd);
    std::string head = "[1,2,{\"progname\":\"quorvane\",\"progver\":";
    ScanEntryText::appendName(head, version);
    head += ",\"timestamp\":" + std::to_string(std::time(nullptr)) + "},\n[";
    std::vector<ScanSubfolder> subs;
    listScanFolder(rootFd, path, rootSt, true, head, subs);
    pieces.list.push_back({std::move(head)});
    for (ScanSubfolder &sub : subs)
        pieces.list.push_back({{}, true, rootFd, std::move(sub), rootSt.st_dev});
    pieces.list.push_back({"]]\n"});
    if (threads > 1)
        splitTopLevels(pieces, threads);

    std::vector<std::jthread> workers;
    struct StopAndJoin {
        Pieces &pieces;
        std::vector<std::jthread> &workers;
        ~StopAndJoin()
        {
            pieces.stopped = true;
            workers.clear();
        }
    } joinFirst{pieces, workers};
    // The calling thread only writes what the workers have done, in order.
    for (unsigned i = 0; threads > 1 && i < threads; ++i)
        workers.emplace_back([&pieces] { work(pieces); });
    for (Piece &piece : pieces.list) {
        if (piece.isSubtree && threads > 1) {
            std::unique_lock hold(pieces.lock);
            pieces.doneChanged.wait(hold, [&] { return piece.done || pieces.failure; });
            if (pieces.failure)
                std::rethrow_exception(pieces.failure);
        }
        if (piece.isSubtree && threads == 1) {
            writeScanSubtree(
                piece.parentFd, piece.sub, piece.parentDev, piece.text,
                [&](std::string &out) {
                    if (out.size() >= FlushAt) {
                        sink(out);
                        out.clear();
                    }
                },
                pieces.stopped);
        }
        sink(piece.text);
        std::string().swap(piece.text);
    }
}
