#pragma once

#include "export/safesave.h"
#include "export/spreadsheetprogram.h"
#include "export/workbookfile.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class Launcher;
struct lxw_workbook;
struct lxw_worksheet;

// The spreadsheet application as the chart export drives it: find the program, start a
// new workbook, take its first worksheet, put a picture on it, show it. Each operation is
// one step of the export and fails on its own: when an earlier step could not make the
// object a later one works on, the later one raises RuntimeError 91 naming what is missing,
// just as calls on an unset automation object would.
//
// The workbook is written with libxlsxwriter to a new file (see reserveWorkbookFile) and
// handed to the program through the launcher when it is made visible. One object serves
// one export; a workbook that was never made visible is discarded with its file.
class Spreadsheet {
public:
    Spreadsheet(SpreadsheetLocator &locator, Launcher &launcher,
                QString workbookFolder = defaultWorkbookFolder());
    ~Spreadsheet();
    Spreadsheet(const Spreadsheet &) = delete;
    Spreadsheet &operator=(const Spreadsheet &) = delete;

    // Finds the spreadsheet program. Raises 429 when the desktop has none.
    void createApplication();
    // Starts a new workbook, with one worksheet, in a new file. Raises 91 without an
    // application, or the file error when the folder cannot take the file.
    void addWorkbook();
    // Takes the workbook's first worksheet. Raises 91 without a workbook.
    void selectFirstWorksheet();
    // Places the bitmap at `bitmapPath` at the worksheet's top left cell, scaled to print
    // on one page. The picture is read at once; the file may go away afterwards. Raises 91
    // without a worksheet, or the error of loadTempBitmap.
    void insertPicture(const QString &bitmapPath);
    // Writes the workbook and opens it in the program; without a workbook the program is
    // started empty. Raises 91 without an application, 57 when the workbook cannot be
    // written (the file is then removed), 429 when the program does not start.
    void makeVisible();

    // The workbook's file once addWorkbook() succeeded; empty before.
    QString workbookPath() const { return m_workbookPath; }

private:
    void discardWorkbook();

    SpreadsheetLocator &m_locator;
    Launcher &m_launcher;
    QString m_workbookFolder;
    std::optional<SpreadsheetProgram> m_program;
    lxw_workbook *m_workbook = nullptr;
    lxw_worksheet *m_firstSheet = nullptr;
    lxw_worksheet *m_worksheet = nullptr;
    QString m_workbookPath;
    std::unique_ptr<PendingSave> m_save; // the new file the workbook is written to
    QList<QByteArray> m_pictures;        // kept until the workbook is written
};
