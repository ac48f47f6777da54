#pragma once

#include "chart/chartgeneration.h"
#include "chart/chartmodel.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class MessageBox;
class PieChart;
class QHBoxLayout;
class SaveDialog;
class QLabel;
class ScanChartSource;

// The window of an opened scan file: the pie and legend of one folder of the scan, the path
// of that folder as buttons that chart each folder on it, and a bar saying what is shown
// ("Scan of /srv, 1 Dec 2026, from ncdu 1.18"). Double-clicking a slice or its legend row (or
// Enter) charts that subfolder, Backspace the folder above. Everything comes from the scan:
// the disk is never looked at, nothing is moved to the trash, refreshed or watched. The
// main window's three exports save what is shown: the picture, the side text, a workbook.
class ScanWindow : public QMainWindow {
    Q_OBJECT

public:
    ScanWindow(std::shared_ptr<ScanChartSource> scan, QWidget *parent = nullptr);
    ~ScanWindow() override;

    // The dialogs the exports use (the real ones unless a test hands in its own).
    void useDialogs(std::unique_ptr<SaveDialog> saveDialog, std::unique_ptr<MessageBox> box);
    // The exports of the folder shown; each asks for its file (the workbook goes to a new
    // file in the documents folder, named in the status bar) and reports a failure in a box.
    void saveChartAsJpg();
    void saveSideText();
    void exportWorkbook();

    // Charts folder (a path inside the scan, as the chart names it).
    void chart(const QString &folder);

    const ChartModel &model() const { return m_model; }
    PieChart *pie() const { return m_pie; }
    // The folder charted, or whose listing is awaited.
    QString folder() const { return m_folder; }
    // What the bar says.
    QString description() const;
    // The buttons of the path, from the scan's top folder down.
    QStringList pathNames() const;
    bool idle() const { return !m_generation.listing() && !m_generation.running(); }

private:
    void listed(const QString &folder, int count);
    void showPath();
    void up();
    // Runs one export step, showing a raised error in a box; whether it succeeded.
    bool reported(const std::function<void()> &step);

    const std::shared_ptr<ScanChartSource> m_scan;
    ChartModel m_model;
    ChartGeneration m_generation;
    PieChart *m_pie;
    QLabel *m_note;
    QWidget *m_pathBar;
    QHBoxLayout *m_path;
    QString m_folder;
    std::unique_ptr<SaveDialog> m_saveDialog;
    std::unique_ptr<MessageBox> m_box;
};

// "Scan of /srv, 1 Dec 2026, from ncdu 1.18"; what the file does not say is left out.
QString scanDescription(const QString &top, std::int64_t timestamp, const QString &program,
                        const QString &version);
