#pragma once

#include "app/form1.h"
#include "fakes.h"
#include "platform/shellhelpers.h"
#include "support/temptree.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <clocale>
#include <gtest/gtest.h>
#include <memory>

// A main window with recording fakes; size texts use the C locale. A folder click only starts
// a chart: chart() and settle() let the event loop run until it is complete.
class FormTest : public ::testing::Test {
protected:
    FormTest()
    {
        std::setlocale(LC_NUMERIC, "C");
        tree.makeDir("Desktop");
    }

    Form1Environment environment()
    {
        Form1Environment env;
        env.messageBox = box;
        env.launcher = launcher;
        env.confirmBox = confirm;
        env.drawPercent = [] { return 50; };
        env.desktopFolder = [this] { return tree.pathQ("Desktop") + u'/'; };
        env.programFolder = tree.pathQ("program");
        env.endProgram = [this] { ++endProgramCalls; };
        // The tree shows the temporary tree as its one drive, with its Desktop folder.
        drives->list = {Drive{tree.rootQ(), DriveType::Fixed, QStringLiteral("Test"), {}, true}};
        env.drives = drives;
        auto folders = std::make_shared<FakeSpecialFolders>();
        folders->paths.insert(SpecialFolderId::Desktop, tree.pathQ("Desktop"));
        env.specialFolders = folders;
        return env;
    }

    // Runs the event loop until the window has nothing under way, for 30 s at most; whether
    // it got there.
    static bool settle(const Form1 &form)
    {
        QElapsedTimer clock;
        clock.start();
        while (!form.idle() && clock.elapsed() < 30000) {
            QCoreApplication::processEvents();
            if (!form.idle())
                QThread::msleep(1);
        }
        return form.idle();
    }

    // A click on folder in the tree, and its chart to the end.
    static void chart(Form1 &form, const QString &folder)
    {
        form.TreeFolder1_FolderClick(folder);
        ASSERT_TRUE(settle(form)) << folder.toStdString();
    }

    TempTree tree;
    std::shared_ptr<RecordingMessageBox> box = std::make_shared<RecordingMessageBox>();
    std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();
    std::shared_ptr<ScriptedConfirmBox> confirm = std::make_shared<ScriptedConfirmBox>();
    std::shared_ptr<FakeDrives> drives = std::make_shared<FakeDrives>();
    int endProgramCalls = 0;
};
