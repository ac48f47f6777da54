#pragma once

#include "platform/directorylist.h"
#include "platform/shellhelpers.h"
#include "treefolder/backgroundloads.h"
#include "treefolder/childlisting.h"
#include "treefolder/drivefollower.h"
#include "treefolder/filesystemobject.h"
#include "treefolder/imagelist.h"
#include "treefolder/olecolor.h"
#include "treefolder/storedproperties.h"
#include "treefolder/treenodes.h"

#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class DriveProvider;
class FolderTreeView;
class MessageBox;
class PropertyBag;
class QItemSelection;
class QMimeData;
class QTreeWidget;
class QTreeWidgetItem;
class SilentVolumes;
class SpecialFolders;
class TreeEventBridge;

// TreeFolder: an explorer-style folder tree. One desktop root; under it My Computer with one
// node per drive (mounted volume), the Favorites and Documents folders, then the network
// folder and Control Panel. Folders are listed lazily: a node that may have subfolders holds
// one placeholder child until it is opened, and closing it throws its children away again.
//
// Every node is known by its key (a folder's real path, a drive's mount point with its
// separator, or "Root_..." for the roots); see nodekeys.h. Every path the control hands out
// (events, path, SelectedFolder, the stored "Path", FolderNodes) is such a key. A folder can
// be shown by two nodes (Documents at the top and inside the home folder, a folder reached
// through two drives); both carry its real path and the control tells them apart by an
// identity of its own (treenodes.h).
//
// A volume that does not answer in time is not opened on the GUI thread (silentvolumes.h),
// the drives follow the mount table (drivefollower.h), and a folder with many entries is
// listed off the GUI thread and its children added in batches (backgroundloads.h); the
// control's events keep their order through all of them. SelectPath (and so setPath) loads
// the folders on its way at once; the target's own children may come later.
//
// Only what the user does to the tree raises click and check events; expanding and selecting
// nodes from code (SelectPath, setPath) raises the expansion events and Change, never a click.
// What counts as a user's click is described in foldertreeview.h: the left button pressed and
// released on a node's row, or a key that moves the current node.
//
// Every assignment of a stored property through its setter is reported by PropertyChanged
// with the property's stored name ("Style", "Path", ...), after the value took effect; a value
// the tree rejects throws RuntimeError 380 (6 for BorderStyle outside 16 bits) before that.
// BackColor, Clear and FolderChecked report nothing. Loading a stored set gives most values to
// the tree directly; only the hide flags, "Path", "Style" and "LineStyle" go through their
// properties and are reported.
class TreeFolder : public QWidget,
                   private StoredPropertyTarget,
                   private BackgroundLoads::Host,
                   private DriveFollower::Host {
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

    // Lifecycle, in the order a host calls it (creation is the constructor).
    // Fresh defaults: the system window colour as m_BackColor (the tree keeps its colour) and
    // the process's current directory as path (raises the path's events).
    void InitProperties();
    // Loads a stored set (storedproperties.h has the order, defaults and failures); the hide
    // flags rebuild the tree four times, then the path is selected. `desktopFolderPath` gives
    // the "Path" default.
    void ReadProperties(const PropertyBag &bag,
                        const std::function<QString()> &desktopFolderPath = DesktopFolderPath);
    // Saves into `bag`; values equal to their defaults are not kept. Changes nothing.
    void WriteProperties(PropertyBag &bag) const;
    // Sizes the tree to the control's whole area, down to nothing; never fails. Runs on
    // every resize.
    void Resize();
    // The tree's own preferred size; there is no minimum.
    QSize sizeHint() const override;

    // The message box AboutBox shows; nullptr (the default) stands for a QMessageBox over the
    // control's window. Not owned; must outlive its use.
    void setMessageBox(MessageBox *box) { m_messageBox = box; }

    // The public members, in their declared order. Where the member's own name is taken by
    // QWidget the accessor says which setting it is: treeFont (Font), controlEnabled
    // (Enabled), drawingStyle (Style).

    // 1. SelectedFolder: the selected node's key; empty when nothing is selected.
    QString selectedFolder() const;
    // 2. AboutBox: a modal box titled "Tessaline by Halvette", without icon.
    void AboutBox();
    // 3. BorderStyle: 0 none, 1 fixed single (a frame around the tree). Outside -32768..32767
    // throws RuntimeError 6, any other 16-bit value 380; nothing changes then.
    int borderStyle() const { return m_BorderStyle; }
    void setBorderStyle(int style);
    // 4. path: the selected node's key, or the start path when nothing is selected.
    QString path() const;
    // Makes p the start path, builds the tree when it is empty, opens and selects the nodes
    // along p (raising their expansion events), reports "Path" and then raises Change once.
    void setPath(const QString &p);
    // 5. Font of the tree; it starts as the host's font.
    QFont treeFont() const;
    void setTreeFont(const QFont &font);
    // 6. FullRowSelect: the highlight of the selected node spans its whole row.
    bool fullRowSelect() const;
    void setFullRowSelect(bool on);
    // 7. CheckBoxes: every node shows a check box; each node keeps its state while hidden.
    bool checkBoxes() const { return m_nodes.checkBoxes(); }
    void setCheckBoxes(bool shown);
    // 8. Enabled: the control's own state; assigning sets the tree's too.
    bool controlEnabled() const;
    void setControlEnabled(bool enabled);
    // 9. HideSelection: the selection is drawn only while the tree has the focus.
    bool hideSelection() const;
    void setHideSelection(bool on);
    // 10. HotTracking: the node under the pointer is drawn underlined in the link colour.
    bool hotTracking() const;
    void setHotTracking(bool on);
    // 11. LabelEdit: 0 automatic (a click on the selected node or F2 edits its label),
    // 1 manual (only code starts an edit).
    int labelEdit() const;
    void setLabelEdit(int mode);
    // 12. Clear: removes all nodes; nothing rebuilds the tree until a hide flag or the path is
    // assigned. No report, no event.
    void Clear();
    // 13. FolderChecked: the check state of the node at a 1-based Index (add order). An index
    // outside 1..node count reads false and ignores assignments; assigning raises no event.
    bool folderChecked(int index) const;
    void setFolderChecked(int index, bool checked);
    // 14. LineStyle: 0 lines between nodes only, 1 also lines and signs at the top level.
    int lineStyle() const;
    void setLineStyle(int style);
    // 15. Style: the drawing style 0..7, the sum of 1 pictures, 2 plus and minus signs and
    // 4 tree lines (text is always shown); 7 shows everything.
    int drawingStyle() const;
    void setDrawingStyle(int style);
    // 16. SelectedCount: with check boxes shown the checked nodes, otherwise the selected
    // ones (at most one); 0 on an empty tree.
    int selectedCount() const;
    // 17. FolderCount: every node of the tree (placeholders included), 0 when none is selected.
    int folderCount() const;
    // 18. SubFolderCount: the selected node's direct children (1 for a closed folder with
    // subfolders: its placeholder). Throws RuntimeError 91 when nothing is selected.
    int subFolderCount() const;
    // 19. MousePointer over the tree: 0 default, 1 arrow, 2 cross, 3 I-beam, 4 icon, 5 size,
    // 6 size NE-SW, 7 size N-S, 8 size NW-SE, 9 size W-E, 10 up arrow, 11 hourglass, 12 no
    // drop, 13 arrow and hourglass, 14 arrow and question mark, 15 size all, 99 MouseIcon.
    int mousePointer() const { return m_MousePointer; }
    void setMousePointer(int pointer);
    // 20. MouseIcon: the pointer shown while MousePointer is 99; a null pixmap for none.
    QPixmap mouseIcon() const { return m_MouseIcon; }
    void setMouseIcon(const QPixmap &icon);
    // 21. OleDragMode: 0 manual, 1 automatic (dragging a node raises OLEStartDrag).
    int oleDragMode() const;
    void setOleDragMode(int mode);
    // 22. OleDropMode: 0 none, 1 manual (drags over the tree raise OLEDragOver, OLEDragDrop).
    // With no handler of OLEDragDrop every drop is refused and every drag shows so.
    int oleDropMode() const;
    void setOleDropMode(int mode);
    // 23. SingleSel: selecting a node opens it and closes the node selected before, unless
    // that one contains it.
    bool singleSel() const { return m_SingleSel; }
    void setSingleSel(bool on);
    // 24.-27. Each assignment stores the flag, reports it, empties the tree and builds it
    // again, also when the value does not change; open branches are lost.
    bool hideFavorites() const { return m_HideFavorites; }
    void setHideFavorites(bool hide);
    bool hideMyDocuments() const { return m_HideMyDocuments; }
    void setHideMyDocuments(bool hide);
    bool hideNetwork() const { return m_HideNetwork; }
    void setHideNetwork(bool hide);
    bool hideControlPanel() const { return m_HideControlPanel; }
    void setHideControlPanel(bool hide);
    // 28. FolderNodes: the live node collection of the tree.
    TreeNodes &FolderNodes() { return m_nodes; }
    const TreeNodes &FolderNodes() const { return m_nodes; }
    // 29. BackColor: the tree's background as RGB (0x00BBGGRR); the system window colour's
    // RGB while the tree uses the default. Assigning takes an OLE colour (olecolor.h); one
    // that cannot be translated gives the tree its default background again. No report.
    // Whatever the palette, the tree's text, signs, lines, check boxes and frame are drawn in
    // colours that reach a contrast of 4.5:1 on that background (readablecolors.h).
    qint32 backColor() const;
    void setBackColor(quint32 oleColor);

    // The inner tree widget and its image list.
    QTreeWidget *treeView() const;
    const ImageList &imageList() const { return imgFolder; }

    // Builds the root level when the tree has no node; does nothing otherwise. A failure is
    // thrown again with the source "<object name>_LoadTreeView"; the nodes added before it stay.
    void LoadTreeView(const QString &startPath);
    // LoadTreeView with the start path and its separator.
    void ReloadTree();
    // Opens and selects the nodes along a path, starting with the drives and their siblings
    // under My Computer. A node is on the path when its key is the path, or names a folder
    // that contains it (whole components; case matters). Among siblings the one that holds
    // the selected node wins, else the most specific, so a path under a nested mount goes
    // through that mount's own drive. A folder shown twice is thus found again in the branch
    // the user is in, and assigning back what `path` read selects the node it was read from.
    // Every opening on the way loads its children before the walk goes on; the target's own
    // children of a large folder come in batches after SelectPath returns, and its last child
    // is scrolled to once they are in, unless the user chose another node meanwhile. Failures
    // along the way are skipped.
    void SelectPath(const QString &path);
    // Selects node, brings it into view and raises what a user's click on its row raises:
    // Click, then for a drive or folder DriveClick (drives only), FolderClick and Change, for a
    // root RootClick. Taking the node rather than its key keeps a folder the tree shows twice
    // in the copy the caller found. node is one of this tree's nodes, just found; a null node does
    // nothing.
    void ClickNode(const TreeNode &node);
    // The selected node; a null node when nothing is selected.
    TreeNode selectedNode() const;

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

    // Not one of the events above: the change report of a stored property, by its stored
    // name, so the host knows the instance needs saving.
    void PropertyChanged(const QString &PropertyName);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The stored set's view of the control: its rows name the control's getters and setters.
    friend const QList<StoredProperty> &storedPropertySet();
    void setStored(const StoredProperty &property, const QVariant &value) override;
    QVariant stored(const StoredProperty &property) const override;
    QFont ambientFont() const override;
    // Reports a change of the stored property name, except while a stored set gives the tree
    // a value directly.
    void reportChange(const QString &name);

    void applyCursor();
    void rebuildWithFlags();
    void applyReadableColors();

    bool dropHandled() const;
    void forwardDragDrop(QMimeData *Data, int &Effect, short &Button, short &Shift, float &X,
                         float &Y);
    void forwardDragOver(QMimeData *Data, int &Effect, short &Button, short &Shift, float &X,
                         float &Y, short &State);
    void onNodeClicked(QTreeWidgetItem *item);
    void onCheckStateWritten(QTreeWidgetItem *item);
    void onSelectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    bool IsValidNodeIndex(int index) const;

    void Initialize();
    QString displayName() const;
    void buildRootLevel();
    TreeNode addDrive(const Drive &drive);
    void addSpecialFolder(int folderId, const QString &parentKey, int iconNumber);
    void onItemExpanded(QTreeWidgetItem *item);
    // Raises an expansion's events once its children are in and sets the node's tag.
    void finishExpansion(const QString &id);
    void onItemCollapsed(QTreeWidgetItem *item);
    // answers: whether the parent's volume answered; one that did not is not touched.
    void LoadChildren(const TreeNode &parent, bool checked, bool answers);
    bool isNetworkFolder(const QString &path) const;

    // The engine's parts call these back (backgroundloads.h, drivefollower.h).
    void reportProgress(short percent) override { emit Progress(percent); }
    void addLoadedChild(const QString &parentId, const QString &parentPath,
                        const ChildListing::Child &child, bool checked, bool underNetwork) override;
    void loadFailed(const QString &path) override { listingFailed(path); }
    void loadFinished(const QString &id, bool scrollToLastChild) override;
    TreeNode addDriveNode(const Drive &drive) override { return addDrive(drive); }
    void listingFailed(const QString &path);
    void raiseRootEvents(const QString &key, void (TreeFolder::*event)(TreeFolder::RootKind));
    QPixmap drawInBuffer(const QPixmap &picture, int size);
    // The plain folder picture, for a folder that must not be touched.
    int folderImage();
    // The picture under key of a path known to be a folder, with no look at the folder.
    int folderPictureIndex(const QString &key);

    // Inner parts.
    FolderTreeView *TreeView1 = nullptr;
    TreeEventBridge *m_bridge = nullptr;
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
    int m_syncLoads = 0;          // while above 0 every opening loads its children at once
    bool m_refusedSilent = false; // the last listing was refused: its volume did not answer
    // After m_FSO and m_nodes, which they use.
    std::unique_ptr<SilentVolumes> m_silent;
    std::unique_ptr<BackgroundLoads> m_loads;
    std::unique_ptr<DriveFollower> m_drives;

    // Settings.
    QString m_Path;
    bool m_HideFavorites = false;
    bool m_HideMyDocuments = false;
    bool m_HideNetwork = false;
    bool m_HideControlPanel = false;
    bool m_ShowFolders = false; // nothing sets it; saved as "ShowFolders" all the same
    qint32 m_BackColor = OleColor::TranslationFailed;
    bool m_ownBackground = false; // false: the tree shows the system window colour
    int m_BorderStyle = 1;
    int m_MousePointer = 0;
    QPixmap m_MouseIcon;
    bool m_SingleSel = false;
    bool m_singleExpanding = false;
    bool m_quietReports = false;
    MessageBox *m_messageBox = nullptr;
};
