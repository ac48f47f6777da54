#include "app/folderlisting.h"

#include "chart/slicetext.h"
#include "platform/nativepath.h"
#include "platform/postback.h"

#include <QFileInfo>
#include <exception>

namespace {

constexpr int MaxSubfolders = 32767;

FolderListing listFolder(const QString &folder)
{
    FolderListing listing;
    listing.requested = folder;
    try {
        listing.list.setPath(folder);
    } catch (const std::exception &) {
        listing.gone = !QFileInfo::exists(folder);
        return listing;
    }
    listing.listed = true;
    const int count = std::min(listing.list.listCount(), MaxSubfolders);
    const QString path = listing.list.path();
    listing.subfolders.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString entry = listing.list.list(i);
        listing.subfolders.append({displayPath(SliceName(entry, path)), nativePath(entry)});
    }
    return listing;
}

} // namespace

// A detached thread rather than a pool's: one blocked for ever in the kernel must not hold
// back the program's exit, which waits for a pool's threads. Without a thread the folder is
// listed here: the user asked for it, and the tree has already found its volume answering.
void listFolderLater(const QString &folder, QObject *context,
                     std::function<void(FolderListing)> done,
                     std::function<void(const QString &folder)> beforeListing)
{
    runThenPost<FolderListing>(
        context,
        [folder, beforeListing = std::move(beforeListing)] {
            if (beforeListing)
                beforeListing(folder);
            return listFolder(folder);
        },
        std::move(done), WithoutThread::RunHere);
}
