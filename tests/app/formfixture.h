#pragma once

#include "app/form1.h"
#include "fakes.h"
#include "platform/shellhelpers.h"
#include "support/temptree.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <clocale>
#include <gtest/gtest.h>
#include <memory>

// A main window with recording fakes and a yield on every scanned entry, so that an event
// queued before a generation is served at its first yield. Size texts use the C locale.
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
        env.drawPercent = [] { return 50; };
        env.desktopFolder = [this] { return tree.pathQ("Desktop") + u'/'; };
        env.programFolder = tree.pathQ("program");
        env.endProgram = [this] { ++endProgramCalls; };
        env.yieldInterval = std::chrono::milliseconds(0);
        // The tree shows the temporary tree as its one drive, with its Desktop folder.
        drives->list = {Drive{tree.rootQ(), DriveType::Fixed, QStringLiteral("Test"), {}, true}};
        env.drives = drives;
        auto folders = std::make_shared<FakeSpecialFolders>();
        folders->paths.insert(SpecialFolderId::Desktop, tree.pathQ("Desktop"));
        env.specialFolders = folders;
        return env;
    }

    // Runs action at the first yield of whatever runs next on this thread.
    static void atNextYield(std::function<void()> action)
    {
        QMetaObject::invokeMethod(qApp, std::move(action), Qt::QueuedConnection);
    }

    TempTree tree;
    std::shared_ptr<RecordingMessageBox> box = std::make_shared<RecordingMessageBox>();
    std::shared_ptr<RecordingLauncher> launcher = std::make_shared<RecordingLauncher>();
    std::shared_ptr<FakeDrives> drives = std::make_shared<FakeDrives>();
    int endProgramCalls = 0;
};
