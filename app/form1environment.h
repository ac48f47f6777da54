#pragma once

#include <QString>
#include <chrono>
#include <functional>
#include <memory>

class ConfirmBox;
class DriveProvider;
class HistoryRecorder;
class Launcher;
class MessageBox;
class SaveDialog;
class SpecialFolders;
class SpreadsheetLocator;
class QWidget;
class ScanSystem;
class SizeMemory;

// What the main window takes from outside. Every member may stay empty, which selects the
// real service noted beside it; tests hand in fakes so that no box, browser or exit happens.
struct Form1Environment {
    std::shared_ptr<MessageBox> messageBox; // a QMessageBox over the window
    std::shared_ptr<ConfirmBox> confirmBox; // a window-modal QMessageBox over the window
    std::shared_ptr<Launcher> launcher;     // SystemLauncher
    std::shared_ptr<SaveDialog> saveDialog; // a QFileDialog over the window
    std::function<int()> drawPercent;       // a random whole number from 1 to 100
    std::function<QString()> desktopFolder; // DesktopFolderPath()
    QString programFolder;                  // the folder of the running program
    std::function<void()> endProgram;       // leaves every event loop with status 0
    // What the folder tree shows, and whose answers a folder click goes by; empty: the
    // machine's own drives and XDG folders.
    std::shared_ptr<const DriveProvider> drives;
    std::shared_ptr<const SpecialFolders> specialFolders;

    // The spreadsheet export's program lookup: DesktopSpreadsheetLocator.
    std::shared_ptr<SpreadsheetLocator> spreadsheetLocator;
    // Where that export writes new workbooks: defaultWorkbookFolder().
    QString workbookFolder;

    // Where sizes of folders charted before are remembered; empty: nowhere, every chart walks
    // all (the program hands in its own unless QUORVANE_SIZE_MEMORY=0).
    std::shared_ptr<SizeMemory> sizeMemory;
    // Where each completed chart is recorded, and earlier looks are asked for; empty: no
    // history (the program hands in its own unless QUORVANE_HISTORY=0).
    std::shared_ptr<HistoryRecorder> history;
    // What the scans ask of the system: the real one. Tests hand in readers that stall.
    std::shared_ptr<ScanSystem> scanSystem;
    // How long a folder may keep a chart waiting (its listing, or a subfolder's open or read)
    // before it is shown as not answering; zero: WindowStallBound.
    std::chrono::milliseconds stallBound{0};
    // Runs on a chart listing's thread before the folder is listed; for tests.
    std::function<void(const QString &folder)> beforeListing;
};

// A volume that stopped answering (a network share whose server is gone) holds a chart no
// longer than this; the rest of the chart is finished without it.
inline constexpr std::chrono::milliseconds WindowStallBound{10000};

// The same environment with every empty member filled with its real service.
Form1Environment completeEnvironment(Form1Environment environment, QWidget *window);
