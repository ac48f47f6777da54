#pragma once

#include "app/trashrefusal.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QMenu;
class QWidget;

// The folder a menu or key acts on, captured when it was taken: whatever moves under the
// mouse or in the chart afterwards, the choice applies to this folder.
struct FolderTarget {
    QByteArray path;             // the file system's bytes, without a trailing separator (but "/")
    QString name;                // as shown
    std::optional<qint64> bytes; // its size, when the chart has measured it
    FolderIdentity identity;
    QString trashRefusal; // why Move to Trash is refused; empty when it is offered
};

// "Move 'Videos' (4.20 GB) to the Trash?"; without a size when none is known.
QString TrashQuestion(const FolderTarget &target);
// "Moved 'Videos' (4.20 GB) to the Trash".
QString TrashDone(const FolderTarget &target);

// What each item of the menu does with the captured folder.
struct FolderMenuChoices {
    std::function<void(const FolderTarget &)> open;
    std::function<void(const FolderTarget &)> openTerminal;
    std::function<void(const FolderTarget &)> copyPath;
    std::function<void(const FolderTarget &)> moveToTrash;
    std::function<void()> refresh;
    bool terminalInstalled = true;
};

// The menu of a folder: "Open", "Open Terminal Here", "Copy Path", "Move to Trash…",
// "Refresh". An item that is refused is greyed and its tooltip says why. The menu deletes
// itself once closed.
QMenu *makeFolderMenu(const FolderTarget &target, const FolderMenuChoices &choices,
                      QWidget *parent);
