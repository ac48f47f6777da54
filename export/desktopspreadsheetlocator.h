#pragma once

#include "export/spreadsheetprogram.h"
#include "posix/offthread.h"

#include <QString>
#include <QStringList>
#include <chrono>
#include <functional>

// The desktop's spreadsheet program: the default application for .xlsx workbooks when its
// desktop entry names a program that exists, else LibreOffice Calc (localc, or libreoffice
// --calc) or Gnumeric found on the search path.
//
// Asking the desktop for its default application runs an external program that may hang,
// so it is asked once, on a thread of its own, as soon as the locator is made (at start-up).
// find() waits for that answer only briefly and goes on without it, so an export never
// freezes the window.
class DesktopSpreadsheetLocator : public SpreadsheetLocator {
public:
    // What the lookup reads from the desktop. The real one asks xdg-mime and reads the
    // XDG data folders and PATH; tests build their own.
    struct Desktop {
        // Desktop entry id of the default application for .xlsx ("calc.desktop"), or empty.
        // Called once, on another thread; it may take long. Without a thread it is not asked
        // (it starts an external program, which could hang the caller) and nothing is found.
        std::function<QString()> defaultEntryId;
        QStringList applicationFolders; // folders holding desktop entries, most important first
        QStringList searchPath;         // folders searched for executables
        // How long find() waits for a default entry id that has not come yet.
        std::chrono::milliseconds defaultEntryWait = std::chrono::milliseconds(250);
    };

    static Desktop systemDesktop();

    explicit DesktopSpreadsheetLocator(Desktop desktop = systemDesktop())
        : m_desktop(std::move(desktop)),
          m_defaultEntryId(m_desktop.defaultEntryId
                               ? m_desktop.defaultEntryId
                               : std::function<QString()>([] { return QString(); }),
                           WithoutThread::Skip)
    {}

    std::optional<SpreadsheetProgram> find() override;

private:
    std::optional<SpreadsheetProgram> fromDefaultEntry() const;
    QString executable(const QString &program) const;

    Desktop m_desktop;
    PendingAnswer<QString> m_defaultEntryId;
};
