#include "app/livechart.h"

#include "app/folderlisting.h"
#include "foldersize/sizememory.h"
#include "platform/nativepath.h"
#include "platform/postback.h"

#include <QHash>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Changes are taken together once they have been quiet this long, and one folder is sized at
// most once in MinGap, however often it changes (a download).
constexpr int SettleMs = 200;
constexpr qint64 MinGapMs = 1000;
// While something else changes the chart it is asked again this much later.
constexpr int BusyRetryMs = 250;
// Past this many changed folders not yet taken, every slice is sized again.
constexpr std::size_t MaxNamedChanges = 256;

// The charted folder's own entries: a subfolder created, removed or renamed; the folder itself
// removed or moved.
constexpr std::uint32_t FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                       IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

QByteArray folderBytes(const QString &folder)
{
    QByteArray bytes = nativePath(folder);
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    return bytes;
}

QByteArray below(const QByteArray &folder)
{
    return folder == "/" ? folder : folder + '/';
}

bool sameSlices(const ChartModel &model, const QList<ChartModel::Subfolder> &slices)
{
    if (model.count() != slices.size())
        return false;
    for (int i = 0; i < model.count(); ++i) {
        const ChartModel::Subfolder &shown = model.at(i);
        const ChartModel::Subfolder &now = slices.at(i);
        if (shown.path != now.path || shown.name != now.name || shown.state != now.state ||
            shown.bytes != now.bytes || shown.notAnswering != now.notAnswering ||
            shown.unreadable != now.unreadable)
            return false;
    }
    return true;
}

} // namespace

// What the memory's thread told and the GUI thread has not taken yet.
struct LiveChart::Pending {
    std::mutex mutex;
    std::vector<QByteArray> folders;
    bool all = false;
    bool posted = false;
};

// What a sizing's threads hand over, in the order of the paths asked for.
struct LiveChart::Collected {
    explicit Collected(int count) : totals(std::size_t(count)), remaining(count) {}
    std::mutex mutex;
    std::vector<SubfolderTotal> totals;
    QList<QByteArray> stalled;
    int remaining;
};

LiveChart::LiveChart(Host host, QObject *parent)
    : QObject(parent), m_host(std::move(host)), m_pending(std::make_shared<Pending>())
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &LiveChart::measure);
    connect(m_host.chart, &ChartModel::modelReset, this, [this] {
        if (!m_applying)
            ++m_foreignResets;
    });
    if (m_host.memory) {
        m_listener = m_host.memory->addChangeListener(
            [this, pending = m_pending](const std::vector<std::string> &folders, bool all) {
                const std::lock_guard guard(pending->mutex);
                pending->all = pending->all || all;
                for (const std::string &folder : folders) {
                    if (pending->all)
                        break;
                    // A folder that keeps changing (a download) is named once.
                    const QByteArray named = QByteArray::fromStdString(folder);
                    if (std::find(pending->folders.begin(), pending->folders.end(), named) !=
                        pending->folders.end())
                        continue;
                    pending->folders.push_back(named);
                    pending->all = pending->folders.size() > MaxNamedChanges;
                }
                if (pending->all)
                    pending->folders.clear();
                if (!std::exchange(pending->posted, true))
                    QMetaObject::invokeMethod(this, &LiveChart::memoryChanged,
                                              Qt::QueuedConnection);
            });
    }
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd >= 0) {
        // Shared with a thread that may still be adding the folder's watch.
        m_inotify = std::shared_ptr<int>(new int(fd), [](int *descriptor) {
            close(*descriptor);
            delete descriptor;
        });
        m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &LiveChart::folderEntriesChanged);
    }
}

LiveChart::~LiveChart()
{
    // After these return nothing of the memory's thread or of a sizing calls in any more.
    if (m_host.memory)
        m_host.memory->removeChangeListener(m_listener);
    if (m_sizing)
        m_sizing->stop();
}

void LiveChart::forget()
{
    ++m_round;
    m_following = false;
    m_measuring = false;
    m_timer.stop();
    if (m_sizing) {
        m_sizing->stop();
        m_sizing.reset();
    }
    m_relist = false;
    m_allDirty = false;
    m_dirty.clear();
    if (m_folderWatch >= 0) {
        inotify_rm_watch(*m_inotify, m_folderWatch);
        m_folderWatch = -1;
    }
}

void LiveChart::stop()
{
    forget();
    m_away.clear();
    m_awayAll = false;
}

void LiveChart::follow()
{
    forget();
    m_following = true;
    m_folder = m_host.chart->folder();
    m_folderBytes = folderBytes(m_folder);
    m_realFolder = m_folderBytes;
    m_generation = m_host.chart->generation();
    // What came, went or changed while it was being charted.
    m_relist = true;
    m_allDirty = std::exchange(m_awayAll, false);
    for (const QByteArray &folder : std::exchange(m_away, {}))
        changedIn(folder);
    const quint64 round = m_round;
    // The memory names folders by their real path; the volume may be slow to say it.
    runThenPost<QByteArray>(
        this,
        [folder = m_folderBytes] {
            char *real = realpath(folder.constData(), nullptr);
            const QByteArray resolved = real ? QByteArray(real) : folder;
            std::free(real);
            return resolved;
        },
        [this, round](QByteArray real) {
            if (round == m_round)
                m_realFolder = real;
        },
        WithoutThread::Skip);
    if (m_inotify) {
        runThenPost<int>(
            this,
            [inotify = m_inotify, folder = m_folderBytes] {
                return inotify_add_watch(*inotify, folder.constData(), FolderEvents);
            },
            [this, round](int watch) {
                if (watch < 0)
                    return;
                if (round == m_round)
                    m_folderWatch = watch;
                else
                    inotify_rm_watch(*m_inotify, watch);
            },
            WithoutThread::Skip);
    }
    schedule();
}

// A folder in which something changed, by its real path: the slice that holds it is sized
// again; a change in the charted folder itself may have added or taken a subfolder.
void LiveChart::changedIn(const QByteArray &folder)
{
    if (folder == m_realFolder) {
        m_relist = true;
        return;
    }
    const QByteArray prefix = below(m_realFolder);
    if (!folder.startsWith(prefix))
        return;
    const qsizetype end = folder.indexOf('/', prefix.size());
    m_dirty.insert(below(m_folderBytes) +
                   folder.mid(prefix.size(), end < 0 ? -1 : end - prefix.size()));
}

void LiveChart::memoryChanged()
{
    std::vector<QByteArray> folders;
    bool all = false;
    {
        const std::lock_guard guard(m_pending->mutex);
        folders.swap(m_pending->folders);
        all = std::exchange(m_pending->all, false);
        m_pending->posted = false;
    }
    if (!m_following) {
        // A chart being made: kept for when it is complete.
        m_awayAll = m_awayAll || all || m_away.size() + folders.size() > MaxNamedChanges;
        if (!m_awayAll)
            m_away.insert(m_away.end(), folders.begin(), folders.end());
        else
            m_away.clear();
        return;
    }
    if (all) {
        m_allDirty = true;
        m_relist = true;
    }
    for (const QByteArray &folder : folders)
        changedIn(folder);
    schedule();
}

void LiveChart::folderEntriesChanged()
{
    alignas(inotify_event) char buffer[4096];
    bool changed = false;
    for (;;) {
        const ssize_t got = read(*m_inotify, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= got;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            at += ssize_t(sizeof event + event.len);
            // Files beside the subfolders are no slices.
            if (event.wd == m_folderWatch &&
                (event.mask & (IN_ISDIR | IN_DELETE_SELF | IN_MOVE_SELF | IN_Q_OVERFLOW)))
                changed = true;
        }
    }
    if (changed && m_following) {
        m_relist = true;
        schedule();
    }
}

void LiveChart::schedule()
{
    if (!m_following || m_measuring || m_timer.isActive())
        return;
    if (!m_relist && !m_allDirty && m_dirty.isEmpty())
        return;
    const qint64 since = m_lastMeasure.isValid() ? m_lastMeasure.elapsed() : MinGapMs;
    m_timer.start(int(std::max<qint64>(SettleMs, MinGapMs - since)));
}

void LiveChart::measure()
{
    if (!m_following || m_measuring)
        return;
    if (!m_host.quiet()) {
        m_timer.start(BusyRetryMs);
        return;
    }
    m_measuring = true;
    m_lastMeasure.restart();
    m_roundResets = m_foreignResets;
    const quint64 round = m_round;
    if (std::exchange(m_relist, false)) {
        listFolderLater(m_folder, this, [this, round](FolderListing listing) {
            if (round != m_round)
                return;
            // A folder removed from outside has no subfolder left to show; one that cannot be
            // read now keeps what the chart shows.
            if (listing.gone) {
                sizeAgain(round, {});
                return;
            }
            if (!listing.listed) {
                measured();
                return;
            }
            sizeAgain(round, std::move(listing.subfolders));
        });
        return;
    }
    QList<ChartModel::Subfolder> shown;
    for (int i = 0; i < m_host.chart->count(); ++i)
        shown.append(m_host.chart->at(i));
    sizeAgain(round, std::move(shown));
}

// Sizes the slices that changed or are new; the others keep what the chart shows.
void LiveChart::sizeAgain(quint64 round, QList<ChartModel::Subfolder> slices)
{
    QHash<QByteArray, int> shown;
    for (int i = 0; i < m_host.chart->count(); ++i)
        shown.insert(m_host.chart->at(i).path, i);
    QList<QByteArray> paths;
    m_sizedAt.clear();
    for (int i = 0; i < slices.size(); ++i) {
        ChartModel::Subfolder &slice = slices[i];
        const auto known = shown.constFind(slice.path);
        if (m_allDirty || m_dirty.contains(slice.path) || known == shown.constEnd()) {
            paths.append(slice.path);
            m_sizedAt.append(i);
            continue;
        }
        const ChartModel::Subfolder &was = m_host.chart->at(*known);
        slice.state = was.state;
        slice.bytes = was.bytes;
        slice.notAnswering = was.notAnswering;
        slice.unreadable = was.unreadable;
    }
    m_allDirty = false;
    m_dirty.clear();
    m_slices = std::move(slices);
    if (paths.isEmpty()) {
        apply(round);
        return;
    }
    const auto collected = std::make_shared<Collected>(int(paths.size()));
    ChartSource::SizingCallbacks callbacks;
    callbacks.sized = [this, round, collected](int index, const SubfolderTotal &total) {
        const std::lock_guard guard(collected->mutex);
        collected->totals[std::size_t(index)] = total;
        if (--collected->remaining == 0)
            QMetaObject::invokeMethod(
                this, [this, round, collected] { sized(round, *collected); }, Qt::QueuedConnection);
    };
    callbacks.stalled = [collected](const QByteArray &path) {
        const std::lock_guard guard(collected->mutex);
        collected->stalled.append(path);
    };
    m_sizing = m_host.source->size(paths, m_host.options, std::move(callbacks));
}

void LiveChart::sized(quint64 round, const Collected &collected)
{
    if (round != m_round)
        return;
    m_sizing.reset();
    for (qsizetype k = 0; k < m_sizedAt.size(); ++k) {
        ChartModel::Subfolder &slice = m_slices[m_sizedAt[k]];
        const SubfolderTotal &total = collected.totals[std::size_t(k)];
        slice.state = ChartModel::State::Done;
        slice.bytes = total.bytes;
        slice.unreadable = total.unreadable;
        const QByteArray prefix = below(slice.path);
        slice.notAnswering = std::any_of(
            collected.stalled.begin(), collected.stalled.end(),
            [&](const QByteArray &path) { return path == slice.path || path.startsWith(prefix); });
    }
    apply(round);
}

void LiveChart::apply(quint64 round)
{
    if (round != m_round)
        return;
    if (m_roundResets != m_foreignResets || m_host.chart->generation() != m_generation ||
        !m_host.quiet()) {
        // The chart changed meanwhile (a move to the Trash): what was measured may not fit it.
        for (const int at : std::as_const(m_sizedAt))
            m_dirty.insert(m_slices[at].path);
        m_relist = true;
        measured();
        return;
    }
    if (!sameSlices(*m_host.chart, m_slices)) {
        m_applying = true;
        m_host.chart->reset(m_generation, m_folder, m_slices);
        m_applying = false;
        m_host.slicesChanged(!m_slices.isEmpty());
        emit updated();
    }
    measured();
}

void LiveChart::measured()
{
    m_measuring = false;
    m_slices.clear();
    m_sizedAt.clear();
    schedule();
}
