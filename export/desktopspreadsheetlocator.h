#pragma once

#include "export/spreadsheetprogram.h"

#include <QString>
#include <QStringList>
#include <functional>

// The desktop's spreadsheet program: the default application for .xlsx workbooks when its
// desktop entry names a program that exists, else LibreOffice Calc (localc, or libreoffice
// --calc) or Gnumeric found on the search path.
class DesktopSpreadsheetLocator : public SpreadsheetLocator {
public:
    // What the lookup reads from the desktop. The real one asks xdg-mime and reads the
    // XDG data folders and PATH; tests build their own.
    struct Desktop {
        // Desktop entry id of the default application for .xlsx ("calc.desktop"), or empty.
        std::function<QString()> defaultEntryId;
        QStringList applicationFolders; // folders holding desktop entries, most important first
        QStringList searchPath;         // folders searched for executables
    };

    static Desktop systemDesktop();

    explicit DesktopSpreadsheetLocator(Desktop desktop = systemDesktop())
        : m_desktop(std::move(desktop))
    {}

    std::optional<SpreadsheetProgram> find() override;

private:
    std::optional<SpreadsheetProgram> fromDefaultEntry() const;
    QString executable(const QString &program) const;

    Desktop m_desktop;
};
