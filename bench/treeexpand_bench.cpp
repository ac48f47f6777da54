// Opening a folder of many subfolders in the tree control, against a bare listing of the
// same folders, in the same run and with a warm cache.
//
//   treeexpand_bench [FOLDERS [SUBFOLDERS [RUNS]]]     (defaults 32000 1 5)
//
// Builds FOLDERS subfolders with SUBFOLDERS subfolders each in a temporary folder, mounts it
// as the only drive of a TreeFolder and times opening that drive as a user does, with the
// event loop running, until FolderExpand says every child is in (listing, one probe per
// child, nodes, placeholders, pictures and Progress events). Meanwhile a zero-time timer
// measures the longest stretch the GUI thread spends without coming back to its event loop.
// The bare listing reads the folder and every child with opendir/readdir, as `ls -f` of each
// would. Prints the medians and, last, `ratio expand/list <x.xx>`.
#include "platform/drives.h"
#include "platform/specialfolders.h"
#include "treefolder/treefolder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <sys/stat.h>
#include <vector>

namespace {

class OneDrive final : public DriveProvider {
public:
    explicit OneDrive(const QString &path) : m_path(path) {}
    QList<Drive> drives() const override { return {Drive{m_path, DriveType::Fixed, {}, {}, true}}; }

private:
    QString m_path;
};

class NoSpecialFolders final : public SpecialFolders {
public:
    QString path(int) const override { return {}; }
};

void makeTree(const QByteArray &root, int folders, int subfolders)
{
    for (int i = 0; i < folders; ++i) {
        const QByteArray folder = root + "/folder" + QByteArray::number(i);
        mkdir(folder.constData(), 0755);
        for (int j = 0; j < subfolders; ++j)
            mkdir((folder + "/sub" + QByteArray::number(j)).constData(), 0755);
    }
}

// Names read from one folder; what ls -f does for each folder it is given.
long listOnce(const QByteArray &path)
{
    long names = 0;
    if (DIR *dir = opendir(path.constData())) {
        while (readdir(dir))
            ++names;
        closedir(dir);
    }
    return names;
}

double bareListing(const QByteArray &root)
{
    QElapsedTimer timer;
    timer.start();
    std::vector<QByteArray> children;
    if (DIR *dir = opendir(root.constData())) {
        while (const dirent *entry = readdir(dir)) {
            if (entry->d_name[0] != '.')
                children.push_back(root + '/' + entry->d_name);
        }
        closedir(dir);
    }
    long names = 0;
    for (const QByteArray &child : children)
        names += listOnce(child);
    if (names < 0)
        std::abort();
    return double(timer.nsecsElapsed());
}

struct Expansion {
    double elapsed = 0; // nanoseconds until FolderExpand
    double longest = 0; // the longest gap between two turns of the event loop, nanoseconds
};

Expansion expandOnce(const QString &root, int expectedChildren)
{
    const OneDrive drives(root);
    const NoSpecialFolders special;
    TreeFolder tree(&drives, &special);
    tree.resize(300, 600);
    tree.show();
    QApplication::processEvents();
    TreeNode drive = tree.FolderNodes().find(root + '/');

    Expansion result;
    QElapsedTimer timer;
    QElapsedTimer sinceTurn;
    QTimer turns; // fires on every turn of the event loop
    turns.setInterval(0);
    QObject::connect(&turns, &QTimer::timeout, [&] {
        result.longest = std::max(result.longest, double(sinceTurn.nsecsElapsed()));
        sinceTurn.restart();
    });
    QEventLoop loop;
    bool expanded = false;
    QObject::connect(&tree, &TreeFolder::FolderExpand, [&] {
        result.elapsed = double(timer.nsecsElapsed());
        expanded = true;
        loop.quit();
    });
    QTimer::singleShot(0, [&] {
        timer.start();
        sinceTurn.start();
        turns.start();
        drive.setExpanded(true); // the user's click on the expand button, in the event loop
    });
    loop.exec();
    turns.stop();
    QApplication::processEvents(); // the repaint after the last batch
    if (!expanded || drive.children() != expectedChildren) {
        std::fprintf(stderr, "treeexpand_bench: %d children, expected %d\n", drive.children(),
                     expectedChildren);
        std::exit(1);
    }
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    const int folders = argc > 1 ? std::max(1, std::atoi(argv[1])) : 32000;
    const int subfolders = argc > 2 ? std::max(0, std::atoi(argv[2])) : 1;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;

    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString root = dir.path();
    makeTree(QFile::encodeName(root), folders, subfolders);
    bareListing(QFile::encodeName(root)); // warm the cache

    std::vector<double> expand;
    std::vector<double> busy;
    std::vector<double> list;
    for (int run = 0; run < runs; ++run) {
        list.push_back(bareListing(QFile::encodeName(root)));
        const Expansion expansion = expandOnce(root, folders);
        expand.push_back(expansion.elapsed);
        busy.push_back(expansion.longest);
    }
    const double perChildExpand = median(expand) / folders / 1000.0;
    const double perChildList = median(list) / folders / 1000.0;
    std::printf("folders %d, subfolders each %d, runs %d (medians)\n", folders, subfolders, runs);
    std::printf("expand   %8.2f us per child  (%.1f ms)\n", perChildExpand, median(expand) / 1e6);
    std::printf("list     %8.2f us per child  (%.1f ms)\n", perChildList, median(list) / 1e6);
    std::printf("gui busy at most %.1f ms (runs: %.1f .. %.1f)\n", median(busy) / 1e6,
                *std::min_element(busy.begin(), busy.end()) / 1e6,
                *std::max_element(busy.begin(), busy.end()) / 1e6);
    std::printf("expand-%d-ms %.0f\n", folders, median(expand) / 1e6);
    std::printf("gui-max-busy-ms %.0f\n", median(busy) / 1e6);
    std::printf("ratio expand/list %.2f\n", perChildExpand / perChildList);
    return 0;
}
