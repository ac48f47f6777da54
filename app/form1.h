#pragma once

#include "app/diskchartsource.h"
#include "app/form1environment.h"
#include "chart/chartgeneration.h"
#include "chart/chartmodel.h"
#include "history/historylook.h"
#include "platform/directorylist.h"

#include <QCursor>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

class FolderActions;
class LiveChart;
class Launcher;
class MessageBox;
class PieChart;
class QFrame;
class QGroupBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class SaveDialog;
class TrashBar;
class TreeFolder;

// The last component of a folder's path, as the chart's note names it; a root keeps its
// separator.
QString chartFolderName(const QString &path);

// The main window: the folder tree on the left, the pie chart of the chosen folder's
// subfolders on the right, the progress bar and three command buttons.
//
// The window's logic runs on the GUI thread, which never waits for a folder: a clicked folder
// is charted by a ChartGeneration from the disk (listed on a thread of its own, its
// subfolders sized by one scan on the scan pool, the totals shown in list order); the window
// only reacts to it. A folder chosen meanwhile replaces the generation at once: its scan is
// stopped and nothing of it reaches the chart again.
class Form1 : public QWidget {
    Q_OBJECT

public:
    // Window pointer values: default, hourglass, and the custom (hand) pointer.
    enum MousePointer { Default = 0, Hourglass = 11, Custom = 99 };

    explicit Form1(Form1Environment environment = {}, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: every statement runs even when an earlier one failed. Ends by starting the
    // chart of the desktop folder; the window is shown before its first scan.
    void Form_Load();

    // False while a generation runs, true once one has finished.
    bool ChartDone() const { return m_ChartDone; }
    // One line per subfolder sized so far by the last generation that found any; none until
    // then.
    std::optional<QStringList> SideTextLines() const;
    // The generation the chart shows.
    const ChartModel &chartModel() const { return m_chart; }
    // Nothing under way: no folder being listed for a chart, no generation running.
    bool idle() const { return !m_generation.listing() && !m_generation.running(); }
    // Shown in the chart's place when the folder has no subfolders.
    QLabel *NoSubfoldersNote() const { return m_NoSubfolders; }

    int mousePointer() const { return m_mousePointer; }
    void setMousePointer(int pointer);
    // True once the window was closed: the program is on its way out.
    bool ending() const { return m_ending; }

    TreeFolder *TreeFolder1() const { return m_TreeFolder1; }
    PieChart *MSChart1() const { return m_MSChart1; }
    QProgressBar *ProgressBar1() const { return m_ProgressBar1; }
    QPushButton *PushButton1() const { return m_PushButton1; }
    QPushButton *PushButton2() const { return m_PushButton2; }
    QPushButton *PushButton3() const { return m_PushButton3; }
    // Holds the chart picture read back from the temporary bitmap; never shown.
    QLabel *Creator() const { return m_Creator; }
    // The folder listed last for a chart.
    const DirectoryList &Dir1() const { return m_source->lastList(); }
    QGroupBox *Frame2() const { return m_Frame2; }
    // The save dialog of the exports; it keeps the file name chosen last.
    SaveDialog &CommonDialog1() const { return *m_environment.saveDialog; }
    MessageBox &messageBox() const { return *m_environment.messageBox; }
    Launcher &launcher() const { return *m_environment.launcher; }
    // The menu of a folder, Move to Trash and its Undo, Refresh; the bar under the chart
    // that says what the last move to the Trash did.
    FolderActions *folderActions() const { return m_folderActions; }
    TrashBar *trashBar() const { return m_TrashBar; }
    // Keeps a complete chart in step with changes on disk.
    LiveChart *liveChart() const { return m_liveChart; }

public slots:
    // Starts the chart of the clicked folder. A folder that cannot be listed leaves the chart
    // as it is and puts the busy indicators back.
    void TreeFolder1_FolderClick(const QString &path);
    // A double-click on a slice or its legend row: the tree selects that subfolder below the
    // node the chart was made from, opening it, and raises the events of a user's click on
    // it, which charts it.
    void MSChart1_ColumnActivated(int column);
    // The charted folder's children have come: a double-clicked subfolder that was not among
    // them yet is opened now.
    void TreeFolder1_FolderExpand(const QString &path);
    // Backspace on the chart: the tree selects the node of the folder above the one charted
    // and raises the events of a user's click on it, which charts it. A root folder has none.
    void MSChart1_ParentRequested();

    // The exports: the chart's picture as a JPEG file; SideTextLines as a text file, one
    // CR LF-ended line each; the chart's picture in a new workbook opened in the spreadsheet
    // program. Each runs as numbered steps that report every failure in the error report box
    // and go on. During a generation they take the chart as far as it got.
    // While one of them runs (its dialog or a box is open) a further click on any of them is
    // ignored: they share the save dialog and the temporary bitmap.
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();

    // The chart is compared with what file (a scan in ncdu's format) holds for the charted
    // folder, read off the GUI thread; a file that cannot be read, or holds no scan of the
    // folder, is told in a box and the comparison is left as it was.
    void compareWithScanFile(const QString &file);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createTreeFolder1();
    void createFolderActions();
    void createLiveChart();
    // Shows the chart, or the note of a folder without subfolders, after slices came or went
    // without a generation.
    void slicesChanged(bool hasSlices);
    // Refresh (menu and F5): the charted folder walked again, nothing of it taken from memory.
    void refresh();
    void layOutControls();
    void setProgressText(const QString &text);
    void connectGeneration();
    // Lists path off the GUI thread, then charts it. A folder that cannot be listed is
    // refused; at start-up it leaves Dir1 as it is, and GenerateChart shows what it lists.
    void chartFolder(const QString &path, bool startUp = false);
    // The window's share of a generation whose folder was listed with count subfolders.
    void GenerateChart(const QString &folder, int count);
    void folderRefused();
    void beginSubfolder(int index);
    void finishGeneration();
    // The history: its problems told once in a box; each completed chart recorded.
    void connectHistory();
    void recordLook();
    // The chart of folder is compared with its newest look at least an hour old, once the
    // history has found it; charted again, it keeps the comparison it has.
    void compareWithHistory(const QString &folder);
    // The looks of the charted folder the menu offers, asked of the history again.
    void listEarlierLooks(const QString &folder);
    // "Compare With": no comparison, each earlier look, a scan file.
    void addComparisonItems(QMenu *menu);
    void compareWithLook(qint64 id);
    void refuseFolder();
    // Clicks the subfolder path among the children of the selected node; false while it is
    // not among them.
    bool clickChartedSubfolder(const QString &path);
    void Form_QueryUnload();
    void ApplySkin();
    void LoadHandCursor();
    void MaybeOpenHomePage();

    Form1Environment m_environment;
    QLabel *m_Creator = nullptr;
    QGroupBox *m_Frame2 = nullptr;
    TreeFolder *m_TreeFolder1 = nullptr;
    QProgressBar *m_ProgressBar1 = nullptr;
    QPushButton *m_PushButton1 = nullptr;
    QPushButton *m_PushButton2 = nullptr;
    QPushButton *m_PushButton3 = nullptr;
    QFrame *m_Shape1 = nullptr;
    PieChart *m_MSChart1 = nullptr;
    QLabel *m_NoSubfolders = nullptr;
    TrashBar *m_TrashBar = nullptr;
    FolderActions *m_folderActions = nullptr;
    LiveChart *m_liveChart = nullptr;
    std::optional<QCursor> m_mouseIcon;

    bool m_ChartDone = false;
    ChartModel m_chart;
    std::shared_ptr<DiskChartSource> m_source;
    ChartGeneration m_generation;
    bool m_startUp = false;    // the listing awaited is start-up's
    QString m_subfolderToOpen; // double-clicked while the charted folder's children were loading
    int m_mousePointer = Default;
    bool m_ending = false;
    bool m_exportRunning = false;
    // The charted folder's looks in the history, newest first, and the one the chart is
    // compared with (0: none, or a scan file).
    std::vector<HistoryLookTime> m_earlierLooks;
    qint64 m_comparedLook = 0;
    QString m_comparedFolder; // the folder the comparison was asked for
};
