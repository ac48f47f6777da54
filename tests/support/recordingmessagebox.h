#pragma once

#include "platform/messagebox.h"

#include <QString>
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
