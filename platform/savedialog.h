#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The save-file dialog as the export commands drive it: set the file name, title and
// filter, show it, read the chosen file name back. The object keeps its file name between
// uses, so a dialog shown again starts with the name chosen last.
class SaveDialog {
public:
    // Flags, with the values the common dialog gave them.
    enum Flag : int {
        OverwritePrompt = 0x2, // ask before an existing file is replaced
    };

    virtual ~SaveDialog() = default;

    QString fileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }
    QString dialogTitle() const { return m_dialogTitle; }
    void setDialogTitle(const QString &title) { m_dialogTitle = title; }
    // "Name|pattern|Name|pattern|...", patterns separated by ';' ("Text Files (*.txt)|*.txt|").
    QString filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }
    // Replacing a file the user picked asks first unless the flag is cleared: losing a
    // file to a slip of the mouse is never what a user wants.
    int flags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }

    // Shows the dialog modally. Afterwards fileName() is the chosen file, exactly as chosen
    // (no extension added), or empty text when the user cancelled.
    void showSave() { m_fileName = chooseFile(); }

protected:
    // Asks the user; returns the chosen path or empty text for cancel.
    virtual QString chooseFile() = 0;

private:
    QString m_fileName;
    QString m_dialogTitle;
    QString m_filter;
    int m_flags = OverwritePrompt;
};

// The real one, a QFileDialog over the given parent window.
class QtSaveDialog : public SaveDialog {
public:
    explicit QtSaveDialog(QWidget *parent = nullptr) : m_parent(parent) {}

protected:
    QString chooseFile() override;

private:
    QWidget *m_parent = nullptr;
};

// The filter text as QFileDialog name filters: "Name (pattern pattern)" per pair. "*.*"
// becomes "*", which on Linux also matches names without a dot, as "All Files" promises;
// a name without a pattern matches everything.
QStringList qtNameFilters(const QString &filter);
