#pragma once

#include "platform/launcher.h"
#include "platform/messagebox.h"

#include <QStringList>
#include <vector>

// Records every box instead of showing it.
class RecordingMessageBox : public MessageBox {
public:
    struct Box {
        QString text;
        QString title;
        Icon icon;
    };
    void show(const QString &text, const QString &title, Icon icon) override
    {
        boxes.push_back({text, title, icon});
    }
    std::vector<Box> boxes;
};

// Records what would have been started; starts nothing.
class RecordingLauncher : public Launcher {
public:
    bool openUrl(const QString &url) override
    {
        urls.append(url);
        return true;
    }
    bool startProgram(const QString &program, const QStringList &arguments) override
    {
        programs.append(program + u' ' + arguments.join(u' '));
        return true;
    }
    QStringList urls;
    QStringList programs;
};
