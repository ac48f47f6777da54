#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <chrono>

// What the program was asked to do on its command line.
struct CommandLine {
    enum class Action {
        OpenWindow, // the window, at `folder` when one is given
        Export,     // write the requested outputs for `folder`, no window
        SaveScan,   // write a scan file of `folder` to `saveScanFile`, no window
        ShowHelp,   // print `text` on standard output
        ShowVersion,
        BadUsage, // print `text` on standard error
    };

    // The file name that stands for standard output.
    static inline const QString StandardOutput = QStringLiteral("-");

    Action action = Action::OpenWindow;
    QString text;
    QString folder; // as given; relative to the current folder
    QString textFile;
    QString jpgFile;
    QString xlsxFile;
    QString jsonFile;
    QString saveScanFile;
    // Charted instead of the disk (the window, or the outputs); `folder` is a path inside it.
    QString openScanFile;
    // What the outputs compare with: a scan file, or "history" for the newest look of the
    // folder the window recorded; empty: nothing.
    QString compareWith;
    static inline const QString CompareWithHistory = QStringLiteral("history");
    QSize pictureSize;      // invalid: the window's chart size
    bool diskUsage = false; // sizes as space allocated on disk, as du counts it
    // How long a folder's open or read may take before it is given up (a dead mount).
    std::chrono::seconds timeout{30};

    bool writesPicture() const { return !jpgFile.isEmpty() || !xlsxFile.isEmpty(); }
    bool writesOutput() const
    {
        return !textFile.isEmpty() || !jpgFile.isEmpty() || !xlsxFile.isEmpty() ||
               !jsonFile.isEmpty();
    }
};

// Reads the arguments (the program's name first). Qt's own window options (-platform,
// -style, ...) are accepted and left for the application object. Needs no application
// object and no display.
CommandLine parseCommandLine(const QStringList &arguments);

// The program's arguments as text, as the application object would decode them.
QStringList commandLineArguments(int argc, char **argv);

// FOLDER as an absolute path: a relative one is joined to the current folder's own bytes,
// never to a text form of them, so that a current folder whose name is not UTF-8 works. Empty
// text, with *problem set, when the current folder no longer exists or cannot be named.
QString absoluteFolder(const QString &folder, QString *problem);

// Why `folder` cannot be charted ("No such file or directory", "not a folder"), or empty
// text when it is a folder that can be listed. Opens nothing that could block.
QString folderProblem(const QString &folder);

// The folder the window starts at for a FOLDER given on the command line: its real path,
// links resolved so that the tree can select it, with a trailing "/" ("/" stays "/").
QString windowStartFolder(const QString &folder);
