#include "app/scanchartsource.h"

#include "chart/slicetext.h"
#include "platform/nativepath.h"

#include <QMetaObject>
#include <algorithm>

namespace {

// As many subfolders as the chart of a folder on the disk lists.
constexpr int MaxSubfolders = 32767;

// Nothing runs after size() returns: there is nothing to stop.
class DoneSizing final : public ChartSizing {
public:
    void stop() override {}
};

QByteArray bytesOf(std::string_view name)
{
    return QByteArray(name.data(), qsizetype(name.size()));
}

// "/" keeps its separator; any other path loses a trailing one, as a listed folder's does.
QByteArray normalised(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

} // namespace

ScanChartSource::ScanChartSource(std::shared_ptr<const ScanTree> tree) : m_tree(std::move(tree)) {}

QString ScanChartSource::topFolder() const
{
    return pathFromNative(normalised(bytesOf(m_tree->name(ScanTree::Root))));
}

std::int64_t ScanChartSource::folderAt(const QByteArray &path) const
{
    const QByteArray top = normalised(bytesOf(m_tree->name(ScanTree::Root)));
    const QByteArray wanted = normalised(path);
    std::int64_t node = -1;
    if (wanted == top)
        node = ScanTree::Root;
    else if (top == "/" && wanted.startsWith('/'))
        node = m_tree->find(wanted.mid(1).toStdString());
    else if (wanted.startsWith(top + '/'))
        node = m_tree->find(wanted.mid(top.size() + 1).toStdString());
    return node >= 0 && m_tree->isFolder(ScanTree::Index(node)) ? node : -1;
}

ChartListing ScanChartSource::listing(const QString &folder) const
{
    ChartListing listing;
    const QByteArray path = normalised(nativePath(folder));
    const std::int64_t node = folderAt(path);
    if (node < 0)
        return listing;
    listing.listed = true;
    listing.folder = pathFromNative(path);
    const QByteArray prefix = path == "/" ? path : path + '/';
    QList<QByteArray> names;
    for (const ScanTree::Index sub : m_tree->subfolders(ScanTree::Index(node)))
        names.append(bytesOf(m_tree->name(sub)));
    // The order of a folder listed on the disk: by name without regard to case.
    std::sort(names.begin(), names.end(), [](const QByteArray &a, const QByteArray &b) {
        const QString left = pathFromNative(a), right = pathFromNative(b);
        const int order = left.compare(right, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : left < right;
    });
    const int count = std::min(int(names.size()), MaxSubfolders);
    listing.subfolders.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString entry = pathFromNative(prefix + names[i]);
        listing.subfolders.append(
            {displayPath(SliceName(entry, listing.folder)), prefix + names[i]});
    }
    return listing;
}

void ScanChartSource::list(const QString &folder, QObject *context,
                           std::function<void(ChartListing)> done)
{
    QMetaObject::invokeMethod(
        context, [done = std::move(done), listed = listing(folder)] { done(listed); },
        Qt::QueuedConnection);
}

std::shared_ptr<ChartSizing> ScanChartSource::size(const QList<QByteArray> &paths,
                                                   const ChartOptions &options,
                                                   SizingCallbacks callbacks)
{
    for (int index = 0; index < paths.size(); ++index) {
        const std::int64_t node = folderAt(paths[index]);
        SubfolderTotal total;
        if (node >= 0) {
            const auto folder = ScanTree::Index(node);
            total.bytes = options.allocated ? m_tree->disk(folder) : m_tree->apparent(folder);
            total.unreadable = m_tree->readErrorsAtOrBelow(folder);
        }
        callbacks.sized(index, total);
    }
    return std::make_shared<DoneSizing>();
}

qint64 ScanChartSource::filesDirectlyIn(const QByteArray &folder, bool allocated) const
{
    const std::int64_t node = folderAt(folder);
    return node < 0 ? 0 : m_tree->filesDirectlyIn(ScanTree::Index(node), allocated);
}

QList<QByteArray> ScanChartSource::unreadableAtOrBelow(const QByteArray &folder, int limit) const
{
    QList<QByteArray> found;
    const std::int64_t node = folderAt(folder);
    if (node < 0)
        return found;
    const QByteArray top = normalised(bytesOf(m_tree->name(ScanTree::Root)));
    const auto first = ScanTree::Index(node);
    for (ScanTree::Index at = first; at < m_tree->subtreeEnd(first) && found.size() < limit; ++at) {
        if (m_tree->isFolder(at) && m_tree->readError(at)) {
            const std::string inside = m_tree->pathInside(at);
            found.append(inside.empty()
                             ? top
                             : (top == "/" ? top : top + '/') + QByteArray::fromStdString(inside));
        }
    }
    return found;
}
