#include "chart/chartgeneration.h"

#include <QElapsedTimer>
#include <QMetaObject>

namespace {

// Totals that arrive together are shown over several turns of the event loop, this long
// each at most, so that input and repaints wait no longer than about half a frame.
constexpr qint64 ApplyBudgetNs = 8'000'000;

} // namespace

ChartGeneration::ChartGeneration(ChartModel &model, std::shared_ptr<ChartSource> source,
                                 QObject *parent)
    : QObject(parent), m_model(model), m_source(std::move(source))
{
    m_applyTimer.setSingleShot(true);
    m_applyTimer.setInterval(0);
    connect(&m_applyTimer, &QTimer::timeout, this, &ChartGeneration::applyReadyTotals);
    m_listingBound.setSingleShot(true);
    // A coarse timer may fire up to 5% early: a listing would be refused as stalled before
    // the time it was given.
    m_listingBound.setTimerType(Qt::PreciseTimer);
    connect(&m_listingBound, &QTimer::timeout, this, &ChartGeneration::listingTimedOut);
}

ChartGeneration::~ChartGeneration()
{
    stop();
}

void ChartGeneration::start(const QString &folder, const ChartOptions &options)
{
    const quint64 request = ++m_request;
    m_listing = true;
    m_listingFolder = folder;
    m_options = options;
    if (options.stallBound.count() > 0)
        m_listingBound.start(options.stallBound);
    else
        m_listingBound.stop();
    m_source->list(folder, this, [this, request](ChartListing listing) {
        listingCame(request, std::move(listing));
    });
}

void ChartGeneration::stop()
{
    ++m_request;
    m_listing = false;
    m_listingBound.stop();
    ++m_run;
    m_running = false;
    m_applyTimer.stop();
    if (m_sizing) {
        m_sizing->stop();
        m_sizing.reset();
    }
}

quint64 ChartGeneration::unreadable(int index) const
{
    return index >= 0 && index < m_model.count() ? m_model.at(index).unreadable : 0;
}

void ChartGeneration::listingCame(quint64 request, ChartListing listing)
{
    if (request != m_request || !m_listing)
        return; // a later folder was started meanwhile, or the generation stopped
    m_listing = false;
    m_listingBound.stop();
    if (!listing.listed)
        emit refused(m_listingFolder, false);
    else if (listing.subfolders.isEmpty())
        emit listed(listing.folder, 0);
    else
        return begin(std::move(listing));
    goOn();
}

// A listing that never comes back (a volume that stopped answering) is forgotten.
void ChartGeneration::listingTimedOut()
{
    if (!m_listing)
        return;
    ++m_request;
    m_listing = false;
    emit refused(m_listingFolder, true);
    goOn();
}

// A generation that was not replaced goes on, unless a handler started or stopped another.
void ChartGeneration::goOn()
{
    if (m_running && !m_listing && !m_applyTimer.isActive())
        m_applyTimer.start();
}

void ChartGeneration::begin(ChartListing listing)
{
    const int count = int(listing.subfolders.size());
    QList<QByteArray> paths;
    paths.reserve(count);
    for (const ChartModel::Subfolder &subfolder : std::as_const(listing.subfolders))
        paths.append(subfolder.path);
    if (m_sizing) {
        m_sizing->stop();
        m_sizing.reset();
    }
    m_applyTimer.stop();
    const quint64 run = ++m_run;
    m_running = true;
    m_runOptions = m_options;
    m_ready.assign(std::size_t(count), std::nullopt);
    m_notAnswering.assign(std::size_t(count), false);
    m_next = 0;
    const QString folder = listing.folder;
    m_model.reset(++m_generation, folder, std::move(listing.subfolders));
    // Totals come on the source's threads and are applied here; stop() returns only once
    // none is being handed over, and those already queued are dropped by their run number.
    ChartSource::SizingCallbacks callbacks;
    callbacks.sized = [this, run](int index, const SubfolderTotal &total) {
        QMetaObject::invokeMethod(
            this, [this, run, index, total] { sizeCame(run, index, total); }, Qt::QueuedConnection);
    };
    callbacks.stalled = [this, run](const QByteArray &path) {
        QMetaObject::invokeMethod(
            this, [this, run, path] { stallCame(run, path); }, Qt::QueuedConnection);
    };
    m_sizing = m_source->size(paths, m_runOptions, std::move(callbacks));
    emit listed(folder, count);
    if (stillApplying(run))
        beginSubfolder(0);
}

bool ChartGeneration::stillApplying(quint64 run) const
{
    return run == m_run && m_running && !m_listing;
}

// The steps before a subfolder's total: what the owner shows for it, then its slice labelled
// as being sized.
void ChartGeneration::beginSubfolder(int index)
{
    const quint64 run = m_run;
    emit subfolderStarting(index);
    if (stillApplying(run))
        m_model.setSizing(index);
}

void ChartGeneration::sizeCame(quint64 run, int index, const SubfolderTotal &total)
{
    if (run != m_run || index < 0 || std::size_t(index) >= m_ready.size())
        return;
    m_ready[std::size_t(index)] = total;
    if (index == m_next && !m_applyTimer.isActive())
        m_applyTimer.start();
}

// The scan names a stalled folder before it hands over the total of the subfolder that holds
// it, so the subfolder is marked before it is shown.
void ChartGeneration::stallCame(quint64 run, const QByteArray &path)
{
    if (run != m_run)
        return;
    for (int i = m_next; i < m_model.count(); ++i) {
        const QByteArray &subfolder = m_model.at(i).path;
        if (path == subfolder || (path.startsWith(subfolder) && path.at(subfolder.size()) == '/')) {
            m_notAnswering[std::size_t(i)] = true;
            break;
        }
    }
    emit stalled(path);
}

// Shows the totals that are there in list order, each followed by the first steps of the
// next subfolder, for as long as the budget allows; the timer brings the rest. A step may
// lead to a new folder or a stop (a handler of the model's signals): the loop ends at once
// then, as after one between two turns of the event loop.
void ChartGeneration::applyReadyTotals()
{
    QElapsedTimer budget;
    budget.start();
    const quint64 run = m_run;
    while (stillApplying(run) && m_next < m_model.count() && m_ready[std::size_t(m_next)]) {
        if (budget.nsecsElapsed() > ApplyBudgetNs) {
            m_applyTimer.start();
            return;
        }
        const SubfolderTotal &total = *m_ready[std::size_t(m_next)];
        m_model.setDone(m_next, total.bytes, m_notAnswering[std::size_t(m_next)], total.unreadable);
        if (!stillApplying(run))
            return;
        if (++m_next == m_model.count()) {
            m_running = false;
            if (m_sizing) {
                m_sizing->stop();
                m_sizing.reset();
            }
            emit finished();
            return;
        }
        beginSubfolder(m_next);
    }
}
