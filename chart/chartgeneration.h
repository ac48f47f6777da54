#pragma once

#include "chart/chartmodel.h"
#include "chart/chartsource.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

// Turns a folder into a chart model: lists the folder, sizes its subfolders and fills the
// model in list order, each subfolder first shown as being sized, then with its size. The
// window and the command line both chart through it; they only react to what it says.
//
// Totals are applied on the thread that owns the generation, a few milliseconds' worth per
// turn of the event loop. A folder started while another generation runs is listed first;
// meanwhile the running one moves no further. If the new folder has subfolders its
// generation replaces the running one, whose totals never reach the model again; if it has
// none, or cannot be listed, the running one goes on.
class ChartGeneration : public QObject {
    Q_OBJECT

public:
    ChartGeneration(ChartModel &model, std::shared_ptr<ChartSource> source,
                    QObject *parent = nullptr);
    ~ChartGeneration() override;

    // Lists folder (a listing still awaited is forgotten) and returns at once.
    void start(const QString &folder, const ChartOptions &options = {});
    // Forgets the listing awaited and stops the generation running; the model keeps what it
    // shows. Says nothing more.
    void stop();

    // A folder's listing is awaited.
    bool listing() const { return m_listing; }
    // The folder whose listing is awaited; empty when none is.
    QString listingFolder() const { return m_listing ? m_listingFolder : QString(); }
    // A generation fills the model.
    bool running() const { return m_running; }
    // Folders below the subfolder at index that could not be read, for those sized so far;
    // the model keeps them with the subfolder, so a slice taken out takes its count along.
    quint64 unreadable(int index) const;

signals:
    // The folder's listing came back with count subfolders. With none the model and the
    // generation running are left as they are; otherwise the model is reset to them next.
    void listed(const QString &folder, int count);
    // The folder could not be listed, or (stalled) its listing did not come back within the
    // bound. The generation running goes on.
    void refused(const QString &folder, bool stalled);
    // The subfolder at index is about to be shown as being sized.
    void subfolderStarting(int index);
    // A folder at or below a subfolder did not answer within the bound: it counts 0, and the
    // subfolder is shown as not answering.
    void stalled(const QByteArray &path);
    // Every subfolder is sized.
    void finished();

private:
    void listingCame(quint64 request, ChartListing listing);
    void listingTimedOut();
    void begin(ChartListing listing);
    void sizeCame(quint64 run, int index, const SubfolderTotal &total);
    void stallCame(quint64 run, const QByteArray &path);
    void applyReadyTotals();
    void beginSubfolder(int index);
    void goOn();
    // Whether the generation being applied still stands after a signal, whose handler may
    // have started or stopped one.
    bool stillApplying(quint64 run) const;

    ChartModel &m_model;
    const std::shared_ptr<ChartSource> m_source;
    ChartOptions m_options;    // of the listing awaited
    ChartOptions m_runOptions; // of the generation running
    quint64 m_request = 0;     // the listing whose result is awaited
    bool m_listing = false;
    QString m_listingFolder;
    QTimer m_listingBound;
    quint64 m_run = 0;        // the generation whose totals are wanted
    quint64 m_generation = 0; // the model's generation number
    bool m_running = false;
    std::shared_ptr<ChartSizing> m_sizing;
    std::vector<std::optional<SubfolderTotal>> m_ready; // totals that came, by list position
    std::vector<bool> m_notAnswering;                   // by list position
    int m_next = 0;                                     // the subfolder being sized, in list order
    QTimer m_applyTimer;
};
