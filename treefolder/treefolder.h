#pragma once

#include "platform/directorylist.h"
#include "treefolder/filesystemobject.h"
#include "treefolder/imagelist.h"
#include "treefolder/treenodes.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

class DriveProvider;
class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;
class SpecialFolders;

// TreeFolder: an explorer-style folder tree. One desktop root; under it My Computer with one
// node per drive (mounted volume), the Favorites and Documents folders, then the network
// folder and Control Panel. Folders are listed lazily: a node that may have subfolders holds
// one placeholder child until it is opened, and closing it throws its children away again.
//
// Every node is known by its key (a folder's path, a drive's mount point with its separator,
// or "Root_..." for the roots); see nodekeys.h.
//
// Only what the user does to the tree raises click and check events; expanding and selecting
// nodes from code (SelectPath, setPath) raises the expansion events and Change, never a click.
class TreeFolder : public QWidget {
    Q_OBJECT

public:
    enum class RootKind { WorkSpace = 0, MyComputer = 1, ControlPanel = 2 };
    Q_ENUM(RootKind)

    // A tree over the machine's own drives and special folders.
    explicit TreeFolder(QWidget *parent = nullptr);
    // A tree over the given services, which must outlive the control; nullptr stands for the
    // machine's own. Builds the root level at once and throws its RuntimeError when that fails.
    TreeFolder(const DriveProvider *drives, const SpecialFolders *specialFolders,
               QWidget *parent = nullptr);
    ~TreeFolder() override;

    // The selected node's key, or the start path when nothing is selected.
    QString path() const;
    // Makes p the start path, builds the tree when it is empty, opens and selects the nodes
    // along p (raising their expansion events) and then raises Change once.
    void setPath(const QString &p);

    // Each assignment stores the flag, empties the tree and builds it again, also when the
    // value does not change; open branches are lost.
    bool hideFavorites() const { return m_HideFavorites; }
    void setHideFavorites(bool hide);
    bool hideMyDocuments() const { return m_HideMyDocuments; }
    void setHideMyDocuments(bool hide);
    bool hideNetwork() const { return m_HideNetwork; }
    void setHideNetwork(bool hide);
    bool hideControlPanel() const { return m_HideControlPanel; }
    void setHideControlPanel(bool hide);

    // Removes all nodes; nothing rebuilds the tree until a hide flag or the path is assigned.
    void Clear();

    // The live node collection of the tree.
    TreeNodes &FolderNodes() { return m_nodes; }
    const TreeNodes &FolderNodes() const { return m_nodes; }
    // The inner tree widget and its image list.
    QTreeWidget *treeView() const { return TreeView1; }
    const ImageList &imageList() const { return imgFolder; }

    // Builds the root level when the tree has no node; does nothing otherwise. A failure is
    // thrown again with the source "<object name>_LoadTreeView"; the nodes added before it stay.
    void LoadTreeView(const QString &startPath);
    // LoadTreeView with the start path and its separator.
    void ReloadTree();
    // Opens and selects the nodes along a path, starting with the drives and their siblings
    // under My Computer. A node is on the path when its key is the path, or names a folder
    // that contains it (whole components; case matters). Among siblings the most specific
    // match wins, so a path under a nested mount goes through that mount's own drive.
    // Failures along the way are skipped.
    void SelectPath(const QString &path);

    // The image list number of the picture for key, made once per distinct key (case does
    // not matter) and 0 when no picture can be had. fromLibrary takes icon iconNumber of the
    // shell library (or of the image file named by key when useShellLibrary is false);
    // otherwise the picture is the file icon of key.
    int GetIconIndex(const QString &key, int size, bool fromLibrary, int iconNumber = 0,
                     bool useShellLibrary = false);

signals:
    // Declared in this fixed order: a host that binds events by number relies on it.
    // Arguments passed by non-const reference belong to the inner tree: a host's change to
    // them goes back to the tree.
    void AfterRename(short &Cancel, QString &NewString);
    void BeforeRename(short &Cancel);
    void Change();
    void Click();
    void DblClick();
    void DriveCheck(const QString &Path, bool Checked);
    void DriveClick(const QString &Path);
    void DriveNotReady(const QString &Path);
    void FolderCheck(const QString &Path, bool Checked);
    void FolderClick(const QString &Path);
    void FolderDblClick(const QString &Path);
    void FolderExpand(const QString &Path);
    void FolderCollapse(const QString &Path);
    void KeyDown(short &KeyCode, short &Shift);
    void KeyPress(short &KeyAscii);
    void KeyUp(short &KeyCode, short &Shift);
    void MouseDown(short &Button, short &Shift, float &X, float &Y);
    void MouseMove(short &Button, short &Shift, float &X, float &Y);
    void MouseUp(short &Button, short &Shift, float &X, float &Y);
    void OLECompleteDrag(int &Effect);
    void OLEDragDrop(QMimeData *Data, int &Effect, short &Button, short &Shift, float &X, float &Y);
    void OLEDragOver(QMimeData *Data, int &Effect, short &Button, short &Shift, float &X, float &Y,
                     short &State);
    void OLEGiveFeedback(int &Effect, bool &DefaultCursors);
    void OLESetData(QMimeData *Data, short &DataFormat);
    void OLEStartDrag(QMimeData *Data, int &AllowedEffects);
    // Before each of n loaded subfolders its rounded share of n, then 0 when loading ends.
    void Progress(short Percent);
    void RootClick(TreeFolder::RootKind Root);
    void RootDblClick(TreeFolder::RootKind Root);
    void RootCheck(TreeFolder::RootKind Root, bool Checked);
    void RootExpand(TreeFolder::RootKind Root);
    void RootCollapse(TreeFolder::RootKind Root);

private:
    void Initialize();
    QString displayName() const;
    void buildRootLevel();
    TreeNode addDrive(const Drive &drive);
    void addSpecialFolder(int folderId, const QString &parentKey, int iconNumber);
    void onItemExpanded(QTreeWidgetItem *item);
    void onItemCollapsed(QTreeWidgetItem *item);
    void LoadChildren(const QString &path, bool checked);
    void addChildFolder(const QString &parentKey, const QString &folder, bool checked,
                        bool underNetwork);
    void listingFailed(const QString &path);
    void raiseRootEvents(const QString &key, void (TreeFolder::*event)(TreeFolder::RootKind));
    QPixmap drawInBuffer(const QPixmap &picture, int size);

    // Inner parts.
    QTreeWidget *TreeView1 = nullptr;
    ImageList imgFolder;
    QPixmap picBuffer;
    DirectoryList Dir1;
    FileSystemObject m_FSO;
    TreeNodes m_nodes;

    // Node references of the last build and loading; null once their nodes are removed.
    TreeNode m_WorkSpaceNode;
    TreeNode m_MyComputerNode;
    TreeNode m_LastNode;
    TreeNode m_FolderNode;
    bool m_ListFailed = false;

    // Settings.
    QString m_Path;
    bool m_HideFavorites = false;
    bool m_HideMyDocuments = false;
    bool m_HideNetwork = false;
    bool m_HideControlPanel = false;
};
