#include "app/form1environment.h"

#include "export/desktopspreadsheetlocator.h"
#include "export/workbookfile.h"
#include "platform/confirmbox.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "platform/messagebox.h"
#include "platform/savedialog.h"
#include "platform/shellhelpers.h"

#include <QCoreApplication>
#include <QRandomGenerator>

Form1Environment completeEnvironment(Form1Environment environment, QWidget *window)
{
    if (!environment.messageBox)
        environment.messageBox = std::make_shared<QtMessageBox>(window);
    if (!environment.confirmBox)
        environment.confirmBox = std::make_shared<QtConfirmBox>(window);
    if (!environment.launcher)
        environment.launcher = std::make_shared<SystemLauncher>();
    if (!environment.saveDialog)
        environment.saveDialog = std::make_shared<QtSaveDialog>(window);
    // One set of drives for the tree and the window, so both go by the same answers.
    if (!environment.drives)
        environment.drives = std::make_shared<MountedDrives>();
    if (!environment.spreadsheetLocator)
        environment.spreadsheetLocator = std::make_shared<DesktopSpreadsheetLocator>();
    if (environment.workbookFolder.isEmpty())
        environment.workbookFolder = defaultWorkbookFolder();
    if (!environment.drawPercent)
        environment.drawPercent = [] { return int(QRandomGenerator::global()->bounded(100)) + 1; };
    if (!environment.desktopFolder)
        environment.desktopFolder = [] { return DesktopFolderPath(); };
    if (environment.programFolder.isEmpty())
        environment.programFolder = QCoreApplication::applicationDirPath();
    if (!environment.endProgram)
        environment.endProgram = [] { QCoreApplication::exit(0); };
    if (environment.stallBound.count() <= 0)
        environment.stallBound = WindowStallBound;
    return environment;
}
