#pragma once

#include "treefolder/drivefollower.h"
#include "treefolder/filesystemobject.h"
#include "treefolder/folderfollower.h"
#include "treefolder/folderopenings.h"
#include "treefolder/nodepictures.h"
#include "treefolder/olecolor.h"
#include "treefolder/storedproperties.h"
#include "treefolder/treefolder.h"
#include "treefolder/treenodes.h"

#include <QPixmap>
#include <QString>
#include <memory>

class FolderTreeView;
class QItemSelection;
class QTreeWidgetItem;
class SilentVolumes;
class TreeEventBridge;

// What a TreeFolder keeps behind its public surface: its inner parts and settings, its
// reactions to the inner tree, and what the engine's parts and the stored set call back.
// The member functions live beside the control's own, in the file of their job
// (treeclicks.cpp, treeloading.cpp, treeproperties.cpp, ...).
struct TreeFolderPrivate final : StoredPropertyTarget,
                                 FolderOpenings::Host,
                                 DriveFollower::Host,
                                 FolderFollower::Host {
    TreeFolderPrivate(TreeFolder &control, const DriveProvider &drives,
                      const SpecialFolders &specialFolders);
    ~TreeFolderPrivate() override;

    // The stored set's view of the control.
    void setStored(const StoredProperty &property, const QVariant &value) override;
    QVariant stored(const StoredProperty &property) const override;
    QFont ambientFont() const override;
    // PropertyChanged, except while a stored set gives the tree a value directly.
    void reportChange(const QString &name);
    void applyCursor();
    void applyReadableColors();

    // The inner tree's looks, its signals and the bridge's pass-through events.
    void setUpInnerTree();
    static bool dropHandled(const TreeFolder &control);
    void onNodeClicked(QTreeWidgetItem *item);
    void keepSelectionBefore(const QString &clickedId);
    void onCheckStateWritten(QTreeWidgetItem *item);
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void raiseRootEvents(const QString &key, void (TreeFolder::*event)(TreeFolder::RootKind));

    // Building (treelifecycle.cpp, treefolder.cpp, treeloading.cpp).
    void Initialize();
    QString displayName() const;
    void rebuildWithFlags();
    void buildRootLevel();
    void addSpecialFolder(int folderId, const QString &parentKey, int iconNumber);
    // Whether a 1-based node index names a node (treenodequeries.cpp).
    bool IsValidNodeIndex(int index) const;

    // The engine's parts call these back (folderopenings.h, drivefollower.h, folderfollower.h).
    void opened(const QString &key) override;
    void closed(const QString &key) override;
    void notReady(const QString &path) override { emit q.DriveNotReady(path); }
    void progress(short percent) override { emit q.Progress(percent); }
    TreeNode addDriveNode(const Drive &drive) override;
    void listed(const QString &id) override { m_follower->follow(id); }
    TreeNode addFollowedChild(const TreeNode &parent, const QString &path) override
    {
        return m_openings->addFollowedChild(parent, path);
    }

    TreeFolder &q;

    // Inner parts.
    FolderTreeView *TreeView1 = nullptr;
    TreeEventBridge *m_bridge = nullptr;
    NodePictures m_pictures;
    FileSystemObject m_FSO;
    TreeNodes m_nodes;
    // After m_FSO and m_nodes, which they use.
    std::unique_ptr<SilentVolumes> m_silent;
    std::unique_ptr<FolderOpenings> m_openings;
    std::unique_ptr<DriveFollower> m_drives;
    std::unique_ptr<FolderFollower> m_follower; // after m_openings, which adds its nodes

    // Settings.
    QString m_Path;
    bool m_HideFavorites = false, m_HideMyDocuments = false, m_HideNetwork = false,
         m_HideControlPanel = false;
    bool m_ShowFolders = false; // nothing sets it; saved as "ShowFolders" all the same
    qint32 m_BackColor = OleColor::TranslationFailed;
    bool m_ownBackground = false; // false: the tree shows the system window colour
    int m_BorderStyle = 1;
    int m_MousePointer = 0;
    QPixmap m_MouseIcon;
    bool m_SingleSel = false;
    bool m_singleExpanding = false; // SingleSel is opening and closing nodes
    bool m_quietReports = false;
    MessageBox *m_messageBox = nullptr;
};
