#pragma once

#include "chart/chartmodel.h"
#include "chart/chartsource.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class QSocketNotifier;
class SizeMemory;

// Keeps a finished chart in step with the disk while nothing else changes it. The size
// memory's watches say in which folders something changed; the charted folder's own watch
// says when a subfolder appears or goes. Once changes settle, only the slices they touched are
// sized again (the memory answers the rest of each one at once, so the cost is about that of
// the change) and the chart, legend and side text follow. A folder that keeps changing is
// sized at most once a second. This is no generation: nothing of a generation's progress is
// shown or raised, and the model keeps its generation number.
class LiveChart : public QObject {
    Q_OBJECT

public:
    struct Host {
        ChartModel *chart = nullptr;
        std::shared_ptr<ChartSource> source;
        // Without one only subfolders appearing or going are followed.
        std::shared_ptr<SizeMemory> memory;
        ChartOptions options;
        // Nothing else is changing the chart (no generation, no move to the Trash).
        std::function<bool()> quiet;
        // The slices changed: false when the last one went.
        std::function<void(bool hasSlices)> slicesChanged;
    };

    explicit LiveChart(Host host, QObject *parent = nullptr);
    ~LiveChart() override;

    // Follows the folder the chart shows now, complete.
    void follow();
    // Stops following; what is being measured is dropped.
    void stop();
    bool following() const { return m_following; }
    // Changes wait to be measured, or are being measured.
    bool busy() const { return m_measuring || m_timer.isActive(); }

signals:
    // The chart was changed to what is on disk now.
    void updated();

private:
    struct Pending;
    struct Collected;
    void forget();
    void changedIn(const QByteArray &folder);
    void memoryChanged();
    void folderEntriesChanged();
    void schedule();
    void measure();
    void sizeAgain(quint64 round, QList<ChartModel::Subfolder> slices);
    void sized(quint64 round, const Collected &collected);
    void apply(quint64 round);
    void measured();

    Host m_host;
    bool m_following = false;
    QString m_folder;
    QByteArray m_folderBytes; // as the slices' paths begin
    QByteArray m_realFolder;  // as the memory names it: links resolved
    quint64 m_generation = 0;
    quint64 m_round = 0; // answers of an earlier round are dropped
    quint64 m_roundResets = 0;
    quint64 m_foreignResets = 0; // model resets made by others
    bool m_applying = false;
    bool m_measuring = false;
    bool m_relist = false;    // the charted folder's entries may have changed
    bool m_allDirty = false;  // every slice is to be sized again
    QSet<QByteArray> m_dirty; // slices to size again
    // Changes heard while a chart was being made, for when it is complete.
    std::vector<QByteArray> m_away;
    bool m_awayAll = false;
    QList<ChartModel::Subfolder> m_slices; // being measured
    QList<int> m_sizedAt;                  // which of them are being sized
    QElapsedTimer m_lastMeasure;           // when the last measure started
    QTimer m_timer;
    std::shared_ptr<ChartSizing> m_sizing;
    std::shared_ptr<Pending> m_pending; // what the memory's thread told, not yet taken
    int m_listener = 0;
    std::shared_ptr<int> m_inotify; // the charted folder's own watch
    int m_folderWatch = -1;
    QSocketNotifier *m_notifier = nullptr;
};
