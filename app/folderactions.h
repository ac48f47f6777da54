#pragma once

#include "app/foldermenu.h"
#include "app/trashmove.h"
#include "chart/chartmodel.h"

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <functional>
#include <optional>

class ConfirmBox;
class DriveProvider;
class Launcher;
class PieChart;
class TrashBar;
class TreeFolder;

// What the window does to a folder from the menu of a slice, a legend row or a tree node, and
// from the keys: Open, Open Terminal Here, Copy Path, Move to Trash (Delete) with Undo, and
// Refresh (F5). Every choice acts on the folder captured when the menu or key was taken.
//
// The tree control raises exactly what it raised before for the right button and the keys:
// its context menu events (which raise nothing) are taken here, and a menu asked for while
// the right button is held opens once the button is up, after the control's MouseUp.
//
// A move to the Trash and its Undo run off the GUI thread, one at a time. Once a folder is in
// the Trash its slice goes from the chart (the total shrinks by exactly its size) and its
// nodes from the tree; nothing else is walked again.
class FolderActions : public QObject {
    Q_OBJECT

public:
    struct Host {
        QWidget *window = nullptr; // keys are taken from here once nothing else wanted them
        ChartModel *chart = nullptr;
        PieChart *pie = nullptr;
        TreeFolder *tree = nullptr;
        TrashBar *bar = nullptr;
        Launcher *launcher = nullptr;
        ConfirmBox *confirm = nullptr;
        const DriveProvider *drives = nullptr;
        std::function<bool()> charting; // a folder is being listed or charted
        std::function<void()> refresh;  // charts the charted folder again
        // The chart's slices changed without a generation: false when the last one went.
        std::function<void(bool hasSlices)> slicesChanged;
        // Adds the chart's own items to the menu of a slice or legend row.
        std::function<void(QMenu *menu)> chartMenuItems;
    };

    FolderActions(Host host, QObject *parent = nullptr);

    // The folder of a slice (1-based column) or of a tree node's key, with what Move to Trash
    // would say of it now; nothing for a root or a column that is not shown.
    std::optional<FolderTarget> targetOfColumn(int column) const;
    std::optional<FolderTarget> targetOfKey(const QString &key) const;

    // Shows target's menu at globalPos; a menu open already is closed first.
    void openMenu(const FolderTarget &target, QPoint globalPos);
    // The menu shown now; nullptr when none is.
    QMenu *menu() const { return m_menu; }

    void open(const FolderTarget &target);
    void openTerminal(const FolderTarget &target);
    void copyPath(const FolderTarget &target);
    // Asks, then moves target to the Trash off the GUI thread. A refusal is said in the bar.
    void moveToTrash(const FolderTarget &target);
    // Puts the folder moved last back, off the GUI thread.
    void undo();
    // A move or an Undo is under way.
    bool working() const { return m_working; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString refusalFor(const QByteArray &path, const TrashFolderFacts &facts) const;
    std::optional<FolderTarget> focusedTarget() const;
    void openTreeMenuAt(QPoint viewportPos, bool byMouse);
    void moved(const FolderTarget &target, const TrashMove &move);
    void restored(const TrashRestore &restore);
    void removeFromTree(const QString &key);
    void relistParentInTree(const QString &key);

    Host m_host;
    QPointer<QMenu> m_menu;
    std::optional<std::pair<FolderTarget, QPoint>> m_menuAfterRelease;
    // Known from the start: the filter also hears the tree's widgets while they are destroyed,
    // when nothing of the control may be called any more.
    QPointer<QWidget> m_treeView;
    QPointer<QWidget> m_treeViewport;
    bool m_working = false;

    // The move Undo puts back, and what the chart showed of it.
    struct LastMove {
        TrashMove move;
        FolderTarget target;
        QString chartFolder;
        int index = -1; // its place among the chart's subfolders; -1 when not one of them
        ChartModel::Subfolder subfolder;
    };
    std::optional<LastMove> m_last;
};
