#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A spreadsheet program that can open a workbook: the executable and its arguments, with
// the place where the workbook's path goes.
struct SpreadsheetProgram {
    QString program;       // absolute path of the executable
    QStringList arguments; // fixed arguments; the slot at fileArgument is filled per call
    int fileArgument = -1; // index of the workbook's slot in arguments; -1: appended

    // The arguments that open `workbook`.
    QStringList argumentsFor(const QString &workbook) const;
};

// Finds the spreadsheet program of this desktop. The real lookup reads the desktop's
// settings; tests hand in their own answer.
class SpreadsheetLocator {
public:
    virtual ~SpreadsheetLocator() = default;
    // The program, or nothing when the desktop has none.
    virtual std::optional<SpreadsheetProgram> find() = 0;
};

// The command of a desktop entry's Exec value, split by the desktop entry rules (quoting,
// backslash escapes, %% for a percent sign). The file field codes %f %F %u %U mark the
// workbook's slot; the other field codes are dropped. The program is returned as written,
// not yet looked up. Nothing when the value holds no command or its quoting is broken.
std::optional<SpreadsheetProgram> parseDesktopExec(const QString &exec);
