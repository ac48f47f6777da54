#pragma once

#include "chart/chartcomparison.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

// One chart generation: the folder, its subfolders in list order, and how far each one has
// been sized. The window's pie, legend and side text, its exports and the command line's
// outputs all read it; sizes are byte counts here and become text only where they are shown.
//
// In the window the subfolders advance in list order (waiting, then sizing, then done), and
// the chart shows those that left waiting. Every operation but reset costs the same however
// many subfolders there are.
class ChartModel : public QObject {
    Q_OBJECT

public:
    enum class State { Waiting, Sizing, Done };
    struct Subfolder {
        QString name;    // as the side text shows it
        QByteArray path; // the file system's bytes
        qint64 bytes = 0;
        State state = State::Waiting;
        // A folder at or below it did not answer in time (a volume that stopped answering):
        // bytes holds what could be read.
        bool notAnswering = false;
        // Folders at or below it that could not be opened or read.
        quint64 unreadable = 0;
    };

    explicit ChartModel(QObject *parent = nullptr);

    // Starts generation `generation` of folder (the path as the tree and Dir1 give it) with
    // every subfolder waiting. Generation 0 stands for "none yet".
    void reset(quint64 generation, const QString &folder, QList<Subfolder> subfolders);

    quint64 generation() const { return m_generation; }
    QString folder() const { return m_folder; }
    int count() const { return int(m_subfolders.size()); }
    const Subfolder &at(int index) const { return m_subfolders.at(index); }
    // Subfolders up to the last that left waiting: the slices and legend rows shown.
    int shownCount() const { return m_shown; }
    // Sum of the sizes of every subfolder that is done.
    qint64 total() const { return m_total; }
    bool allDone() const { return m_done == count(); }
    int doneCount() const { return m_done; }

    // The earlier look the chart is compared with; none until set. A reset keeps it: the
    // window sets it for the folder it charts.
    const ChartComparison &comparison() const { return m_comparison; }
    void setComparison(ChartComparison comparison);

    void setSizing(int index);
    // Records index's size; a sum that would overflow keeps the total at its largest.
    void setDone(int index, qint64 bytes, bool notAnswering = false, quint64 unreadable = 0);

signals:
    void modelReset();
    void subfolderChanged(int index);
    void comparisonChanged();

private:
    void leaveWaiting(int index);

    quint64 m_generation = 0;
    QString m_folder;
    QList<Subfolder> m_subfolders;
    int m_shown = 0;
    int m_done = 0;
    qint64 m_total = 0;
    ChartComparison m_comparison;
};
