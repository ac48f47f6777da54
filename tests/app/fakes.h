#pragma once

#include "export/spreadsheetprogram.h"
#include "platform/confirmbox.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "platform/messagebox.h"
#include "platform/savedialog.h"
#include "platform/specialfolders.h"
#include "support/recordingmessagebox.h"

#include <QMap>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// Records what would have been started; starts nothing.
class RecordingLauncher : public Launcher {
public:
    bool openUrl(const QString &url) override
    {
        urls.append(url);
        return opens;
    }
    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        programs.append(program + u' ' + arguments.join(u' '));
        return true;
    }
    bool startProgramIn(const QString &program, const QStringList &arguments,
                        const QString &workingFolder) override
    {
        programs.append(program + u' ' + arguments.join(u' ') + QStringLiteral(" in ") +
                        workingFolder);
        return starts;
    }
    QStringList urls;
    QStringList programs;
    bool opens = true;  // what openUrl answers
    bool starts = true; // what startProgramIn answers
};

// Records every question; answers each with `answer`, at once, or keeps it for the test to
// answer when `hold` is set.
class ScriptedConfirmBox : public ConfirmBox {
public:
    void ask(const QString &text, const QString &title, const QString &goAhead,
             std::function<void(bool)> answerWith) override
    {
        Q_UNUSED(title);
        Q_UNUSED(goAhead);
        questions.append(text);
        if (hold)
            held = std::move(answerWith);
        else
            answerWith(answer);
    }
    bool answer = true;
    bool hold = false;
    std::function<void(bool)> held;
    QStringList questions;
};

// Answers every save dialog with `answer` (empty: the user cancelled) and records what the
// dialog showed. `whileShown` runs while the dialog is open, as a nested event would.
class ScriptedSaveDialog : public SaveDialog {
public:
    struct Shown {
        QString fileName;
        QString title;
        QString filter;
    };
    QString answer;
    std::function<void()> whileShown;
    std::vector<Shown> shown;

protected:
    QString chooseFile() override
    {
        shown.push_back({fileName(), dialogTitle(), filter()});
        if (whileShown)
            whileShown();
        return answer;
    }
};

// Answers the spreadsheet program lookup with a fixed program, or with none.
class FixedSpreadsheetLocator : public SpreadsheetLocator {
public:
    std::optional<SpreadsheetProgram> find() override { return program; }
    std::optional<SpreadsheetProgram> program;
};

// The drives and special folders the folder tree shows.
class FakeDrives : public DriveProvider {
public:
    QList<Drive> drives() const override { return list; }
    bool answers(const QString &path) const override { return !silent.contains(path); }
    QList<Drive> list;
    QStringList silent; // folders on a volume that does not answer
};

class FakeSpecialFolders : public SpecialFolders {
public:
    QString path(int folderId) const override { return paths.value(folderId); }
    QMap<int, QString> paths;
};
