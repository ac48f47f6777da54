#pragma once

#include "app/eventpump.h"
#include "app/form1environment.h"
#include "platform/directorylist.h"

#include <QCursor>
#include <QStringList>
#include <QWidget>
#include <optional>

class Launcher;
class MessageBox;
class PieChart;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class SaveDialog;
class TreeFolder;

// The main window: the folder tree on the left, the pie chart of the chosen folder's
// subfolders on the right, the progress bar and three command buttons.
//
// Everything runs on the GUI thread. A chart generation yields to the event loop while it
// scans, so another folder click can arrive meanwhile; the older generation then stops at
// once without touching the chart or SideTextLines again, and the newer one runs when it
// has unwound.
class Form1 : public QWidget {
    Q_OBJECT

public:
    // Window pointer values: default, hourglass, and the custom (hand) pointer.
    enum MousePointer { Default = 0, Hourglass = 11, Custom = 99 };

    explicit Form1(Form1Environment environment = {}, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: every statement runs even when an earlier one failed. Ends with a chart of
    // the desktop folder; the window is shown before its first scan.
    void Form_Load();
    // Turns Dir1's folder into the chart and SideTextLines. Failures go to the caller.
    void GenerateChart();

    // False while a generation runs, true once one has finished.
    bool ChartDone() const { return m_ChartDone; }
    // One line per subfolder of the last generation that found any; empty until then.
    const std::optional<QStringList> &SideTextLines() const { return m_SideTextLines; }

    // Generations under way: one, or none. A folder chosen during a generation replaces it,
    // and the replaced one unwinds before the new one starts.
    int generationsAlive() const { return m_runningGenerations; }
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
    DirectoryList &Dir1() { return m_Dir1; }
    QGroupBox *Frame2() const { return m_Frame2; }
    // The save dialog of the exports; it keeps the file name chosen last.
    SaveDialog &CommonDialog1() const { return *m_environment.saveDialog; }
    MessageBox &messageBox() const { return *m_environment.messageBox; }
    Launcher &launcher() const { return *m_environment.launcher; }

public slots:
    // Shows the chart of the clicked folder. A folder that cannot be listed leaves the chart
    // as it is and puts the busy indicators back.
    void TreeFolder1_FolderClick(const QString &path);
    // A double-click on a slice or its legend row: the tree selects that subfolder, opening
    // its parents, and raises the events of a click on it, which charts it.
    void MSChart1_ColumnActivated(int column);

    // The exports: the chart's picture as a JPEG file; SideTextLines as a text file, one
    // CR LF-ended line each; the chart's picture in a new workbook opened in the spreadsheet
    // program. Each runs as numbered steps that report every failure in the error report box
    // and go on. They may run during a generation's yield and then take the partial chart.
    // While one of them runs (its dialog or a box is open) a further click on any of them is
    // ignored: they share the save dialog and the temporary bitmap.
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton3_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createTreeFolder1();
    void layOutControls();
    void setProgressText(const QString &text);
    void chartDir1();
    void finishGeneration();
    void refuseFolder();
    void Form_QueryUnload();
    void ApplySkin();
    void LoadHandCursor();
    void MaybeOpenHomePage();
    bool superseded(quint64 generation) const { return generation != m_generation; }

    Form1Environment m_environment;
    EventPump m_pump;
    DirectoryList m_Dir1;
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
    std::optional<QCursor> m_mouseIcon;

    bool m_ChartDone = false;
    std::optional<QStringList> m_SideTextLines;
    quint64 m_generation = 0; // bumped by every generation that replaces the chart
    int m_runningGenerations = 0;
    bool m_generationPending = false; // Dir1 waits to be charted once the running one unwinds
    int m_mousePointer = Default;
    bool m_ending = false;
    bool m_exportRunning = false;
};
