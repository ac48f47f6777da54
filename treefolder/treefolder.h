#pragma once

#include "platform/shellhelpers.h"
#include "treefolder/imagelist.h"
#include "treefolder/storedproperties.h"
#include "treefolder/treenodes.h"

#include <QFont>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <memory>

class DriveProvider;
class MessageBox;
class QMimeData;
class QTreeWidget;
class SpecialFolders;
struct TreeFolderPrivate;

// TreeFolder: an explorer-style folder tree. One desktop root; under it My Computer with one
// node per drive (mounted volume), the Favorites and Documents folders, then the network
// folder and Control Panel. Folders are listed lazily: a node that may have subfolders holds
// one placeholder child until it is opened, and closing it throws its children away again.
//
// Every path the control hands out (events, path, SelectedFolder, the stored "Path",
// FolderNodes) is a node's key (nodekeys.h, treenodes.h). Volumes that do not answer in time
// (silentvolumes.h), drives that come and go (drivefollower.h) and folders of many entries
// (folderopenings.h) never hold the GUI thread; the events keep their order through them.
// Only what the user does to the tree (foldertreeview.h) raises click and check events.
//
// Every assignment of a stored property through its setter is reported by PropertyChanged
// with the property's stored name ("Style", "Path", ...) once the value took effect; a value
// the tree rejects throws RuntimeError 380 (6 for BorderStyle outside 16 bits) before that.
// BackColor, Clear and FolderChecked report nothing.
class TreeFolder : public QWidget {
    Q_OBJECT

public:
    enum class RootKind { WorkSpace = 0, MyComputer = 1, ControlPanel = 2 };
    Q_ENUM(RootKind)

    explicit TreeFolder(QWidget *parent = nullptr); // over the machine's own services
    // A tree over the given services, which must outlive the control; nullptr stands for the
    // machine's own. Builds the root level at once and throws its RuntimeError when that fails.
    TreeFolder(const DriveProvider *drives, const SpecialFolders *specialFolders,
               QWidget *parent = nullptr);
    ~TreeFolder() override;

    // Lifecycle, in the order a host calls it. Fresh defaults: the system window colour as
    // m_BackColor (the tree keeps its colour) and the current directory as path (its events).
    void InitProperties();
    // Loads a stored set (storedproperties.h: order, defaults, failures); the hide flags
    // rebuild the tree four times, then the path is selected. Most values go to the tree
    // directly; the hide flags, "Path", "Style" and "LineStyle" go through their properties
    // and are reported. `desktopFolderPath` gives the "Path" default.
    void ReadProperties(const PropertyBag &bag,
                        const std::function<QString()> &desktopFolderPath = DesktopFolderPath);
    // Saves into `bag`; values equal to their defaults are not kept. Changes nothing.
    void WriteProperties(PropertyBag &bag) const;
    // Sizes the tree to the control's whole area, down to nothing; runs on every resize.
    void Resize();
    QSize sizeHint() const override; // the tree's own; there is no minimum

    // The message box AboutBox shows, not owned; nullptr: a QMessageBox over the window.
    void setMessageBox(MessageBox *box);

    // The public members in their declared order; treeFont, controlEnabled and drawingStyle
    // are Font, Enabled and Style, whose names QWidget takes.

    // 1. SelectedFolder: the selected node's key; empty when nothing is selected.
    QString selectedFolder() const;
    // 2. AboutBox: a modal box titled "Tessaline by Halvette", without icon.
    void AboutBox();
    // 3. BorderStyle: 0 none, 1 fixed single (a frame around the tree). Outside -32768..32767
    // throws RuntimeError 6, any other 16-bit value 380; nothing changes then.
    int borderStyle() const;
    void setBorderStyle(int style);
    // 4. path: the selected node's key, or the start path when nothing is selected.
    // Assigning makes p the start path, builds the tree when it is empty, opens and selects
    // the nodes along p (their expansion events), reports "Path" and raises Change once.
    QString path() const;
    void setPath(const QString &p);
    // 5. Font of the tree; it starts as the host's font.
    QFont treeFont() const;
    void setTreeFont(const QFont &font);
    // 6. FullRowSelect: the highlight of the selected node spans its whole row.
    bool fullRowSelect() const;
    void setFullRowSelect(bool on);
    // 7. CheckBoxes: every node shows a check box; each node keeps its state while hidden.
    bool checkBoxes() const;
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
    // 11. LabelEdit: 0 automatic (a click on the selected node or F2 edits), 1 manual.
    int labelEdit() const;
    void setLabelEdit(int mode);
    // 12. Clear: removes all nodes until a hide flag or the path is assigned. No event.
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
    // 16. SelectedCount: the checked nodes with check boxes shown, else the selected ones.
    int selectedCount() const;
    // 17. FolderCount: every node of the tree (placeholders included), 0 when none is selected.
    int folderCount() const;
    // 18. SubFolderCount: the selected node's direct children (a closed folder's placeholder
    // counts). Throws RuntimeError 91 when nothing is selected.
    int subFolderCount() const;
    // 19. MousePointer over the tree: 0 default, 1..15 the native pointers (treeproperties.cpp),
    // 99 MouseIcon.
    int mousePointer() const;
    void setMousePointer(int pointer);
    // 20. MouseIcon: the pointer shown while MousePointer is 99; a null pixmap for none.
    QPixmap mouseIcon() const;
    void setMouseIcon(const QPixmap &icon);
    // 21. OleDragMode: 0 manual, 1 automatic (dragging a node raises OLEStartDrag).
    int oleDragMode() const;
    void setOleDragMode(int mode);
    // 22. OleDropMode: 0 none, 1 manual (drags over the tree raise OLEDragOver, OLEDragDrop).
    // With no handler of OLEDragDrop every drop is refused and every drag shows so.
    int oleDropMode() const;
    void setOleDropMode(int mode);
    // 23. SingleSel: selecting a node opens it and closes the one selected before, unless
    // that one contains it.
    bool singleSel() const;
    void setSingleSel(bool on);
    // 24.-27. Each assignment stores the flag, reports it, empties the tree and builds it
    // again, also when the value does not change; open branches are lost.
    bool hideFavorites() const;
    void setHideFavorites(bool hide);
    bool hideMyDocuments() const;
    void setHideMyDocuments(bool hide);
    bool hideNetwork() const;
    void setHideNetwork(bool hide);
    bool hideControlPanel() const;
    void setHideControlPanel(bool hide);
    // 28. FolderNodes: the live node collection of the tree.
    TreeNodes &FolderNodes();
    const TreeNodes &FolderNodes() const;
    // 29. BackColor: the tree's background as RGB (0x00BBGGRR), the system window colour's
    // by default. Assigning takes an OLE colour (olecolor.h); one that cannot be translated
    // gives back the default. No report. What the tree draws stays readable on it
    // (readablecolors.h).
    qint32 backColor() const;
    void setBackColor(quint32 oleColor);

    QTreeWidget *treeView() const; // the inner tree widget
    const ImageList &imageList() const;

    // Builds the root level when the tree has no node; does nothing otherwise. A failure is
    // thrown again with the source "<object name>_LoadTreeView"; the nodes added before it stay.
    void LoadTreeView(const QString &startPath);
    // LoadTreeView with the start path and its separator.
    void ReloadTree();
    // Opens and selects the nodes along a path, from the drives under My Computer on. A node
    // is on the path when its key is the path or a folder containing it (whole components,
    // case matters); among siblings the one holding the selected node wins, else the most
    // specific (selectpath.cpp). The openings on the way load at once; the target's own
    // children may come in batches afterwards. Failures along the way are skipped.
    void SelectPath(const QString &path);
    // Selects one of this tree's nodes, brings it into view and raises what a user's click on
    // its row raises: Click, then DriveClick (drives only), FolderClick and Change, or for a
    // root RootClick. A null node does nothing.
    void ClickNode(const TreeNode &node);
    // The selected node; a null node when nothing is selected.
    TreeNode selectedNode() const;

    // The image list number of key's picture (nodepictures.h).
    int GetIconIndex(const QString &key, int size, bool fromLibrary, int iconNumber = 0,
                     bool useShellLibrary = false);

signals:
    // In this fixed order, which a host binding events by number relies on. An argument by
    // non-const reference belongs to the inner tree: a handler's change goes back to it.
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

    // Not one of the events: a stored property changed, so the instance needs saving.
    void PropertyChanged(const QString &PropertyName);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // What the control keeps and does behind this surface (treefolderprivate.h).
    friend struct TreeFolderPrivate;
    // The stored set's rows name the control's getters, setters and kept values.
    friend const QList<StoredProperty> &storedPropertySet();
    std::unique_ptr<TreeFolderPrivate> d;
};
