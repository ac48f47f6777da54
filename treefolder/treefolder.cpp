#include "treefolder/treefolder.h"

#include "platform/drives.h"
#include "platform/specialfolders.h"
#include "treefolder/drivefollower.h"
#include "treefolder/foldertreeview.h"
#include "treefolder/pathtext.h"
#include "treefolder/readabletreestyle.h"
#include "treefolder/silentvolumes.h"
#include "treefolder/treeeventargs.h"
#include "treefolder/treeeventbridge.h"

#include <QHeaderView>
#include <QMetaMethod>
#include <QMimeData>

namespace {

const DriveProvider &machineDrives()
{
    static const MountedDrives drives;
    return drives;
}

const SpecialFolders &machineSpecialFolders()
{
    static const ShellSpecialFolders folders;
    return folders;
}

} // namespace

TreeFolder::TreeFolder(QWidget *parent) : TreeFolder(nullptr, nullptr, parent) {}

TreeFolder::TreeFolder(const DriveProvider *drives, const SpecialFolders *specialFolders,
                       QWidget *parent)
    : QWidget(parent), TreeView1(new FolderTreeView(this)),
      m_FSO(drives ? *drives : machineDrives(),
            specialFolders ? *specialFolders : machineSpecialFolders()),
      m_nodes(TreeView1, &m_pictures.list())
{
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    auto *style = new ReadableTreeStyle;
    style->setParent(TreeView1);
    TreeView1->setStyle(style);
    applyReadableColors();
    TreeView1->setColumnCount(1);
    TreeView1->header()->hide();
    TreeView1->setRootIsDecorated(true);
    TreeView1->setUniformRowHeights(true); // keeps a folder of many thousand children cheap
    TreeView1->setAnimated(false);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setIconSize(QSize(16, 16));
    TreeView1->setEditTriggers(QAbstractItemView::SelectedClicked |
                               QAbstractItemView::EditKeyPressed);

    connect(TreeView1, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem *item) { m_openings->expanded(item); });
    connect(TreeView1, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem *item) { m_openings->collapsed(item); });
    connect(TreeView1, &FolderTreeView::nodeClicked, this, &TreeFolder::onNodeClicked);
    connect(TreeView1, &FolderTreeView::checkStateWritten, this, &TreeFolder::onCheckStateWritten);
    connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TreeFolder::onSelectionChanged);

    // The host's handlers get the tree's own argument variables: direct connections only.
    m_bridge = new TreeEventBridge(TreeView1, this);
    connect(m_bridge, &TreeEventBridge::AfterRename, this, &TreeFolder::AfterRename);
    connect(m_bridge, &TreeEventBridge::BeforeRename, this, &TreeFolder::BeforeRename);
    connect(m_bridge, &TreeEventBridge::Click, this, &TreeFolder::Click);
    connect(m_bridge, &TreeEventBridge::DblClick, this, &TreeFolder::DblClick);
    connect(m_bridge, &TreeEventBridge::KeyDown, this, &TreeFolder::KeyDown);
    connect(m_bridge, &TreeEventBridge::KeyPress, this, &TreeFolder::KeyPress);
    connect(m_bridge, &TreeEventBridge::KeyUp, this, &TreeFolder::KeyUp);
    connect(m_bridge, &TreeEventBridge::MouseDown, this, &TreeFolder::MouseDown);
    connect(m_bridge, &TreeEventBridge::MouseMove, this, &TreeFolder::MouseMove);
    connect(m_bridge, &TreeEventBridge::MouseUp, this, &TreeFolder::MouseUp);
    connect(m_bridge, &TreeEventBridge::OLECompleteDrag, this, &TreeFolder::OLECompleteDrag);
    // A drop nobody handles is refused: taken with Move, its source would delete what it sent.
    connect(m_bridge, &TreeEventBridge::OLEDragDrop, this,
            [this](QMimeData *Data, int &Effect, short &Button, short &Shift, float &X, float &Y) {
                if (dropHandled())
                    emit OLEDragDrop(Data, Effect, Button, Shift, X, Y);
                else
                    Effect = DropEffect::None;
            });
    connect(m_bridge, &TreeEventBridge::OLEDragOver, this,
            [this](QMimeData *Data, int &Effect, short &Button, short &Shift, float &X, float &Y,
                   short &State) {
                emit OLEDragOver(Data, Effect, Button, Shift, X, Y, State);
                if (!dropHandled())
                    Effect = DropEffect::None; // shows the drag that it cannot drop here
            });
    connect(m_bridge, &TreeEventBridge::OLEGiveFeedback, this, &TreeFolder::OLEGiveFeedback);
    connect(m_bridge, &TreeEventBridge::OLESetData, this, &TreeFolder::OLESetData);
    connect(m_bridge, &TreeEventBridge::OLEStartDrag, this, &TreeFolder::OLEStartDrag);
    m_silent = std::make_unique<SilentVolumes>(m_nodes, m_FSO);
    m_openings =
        std::make_unique<FolderOpenings>(static_cast<FolderOpenings::Host &>(*this), *TreeView1,
                                         m_nodes, m_pictures, m_FSO, *m_silent);
    m_drives = std::make_unique<DriveFollower>(static_cast<DriveFollower::Host &>(*this), m_nodes,
                                               m_FSO, *m_silent);
    Initialize();
}

bool TreeFolder::dropHandled() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TreeFolder::OLEDragDrop));
}

TreeFolder::~TreeFolder()
{
    m_drives.reset(); // waits for a listing under way, which reads m_FSO
    m_openings->loads().cancel({});
    // The tree widget goes before the node collection would notice; nothing may react to it.
    TreeView1->disconnect(this);
    TreeView1->selectionModel()->disconnect(this);
}

QTreeWidget *TreeFolder::treeView() const
{
    return TreeView1;
}

QString TreeFolder::displayName() const
{
    return objectName().isEmpty() ? QStringLiteral("TreeFolder") : objectName();
}

QString TreeFolder::path() const
{
    const QList<QTreeWidgetItem *> selected = TreeView1->selectedItems();
    if (selected.isEmpty())
        return m_Path;
    return TreeNode(&m_nodes, selected.first()).key();
}

void TreeFolder::setPath(const QString &p)
{
    m_Path = p;
    ReloadTree();
    SelectPath(p);
    reportChange(QStringLiteral("Path"));
    emit Change();
}

void TreeFolder::rebuildWithFlags()
{
    Clear();
    ReloadTree();
}

void TreeFolder::setHideFavorites(bool hide)
{
    m_HideFavorites = hide;
    reportChange(QStringLiteral("HideFavorites"));
    rebuildWithFlags();
}

void TreeFolder::setHideMyDocuments(bool hide)
{
    m_HideMyDocuments = hide;
    reportChange(QStringLiteral("HideMyDocuments"));
    rebuildWithFlags();
}

void TreeFolder::setHideNetwork(bool hide)
{
    m_HideNetwork = hide;
    reportChange(QStringLiteral("HideNetwork"));
    rebuildWithFlags();
}

void TreeFolder::setHideControlPanel(bool hide)
{
    m_HideControlPanel = hide;
    reportChange(QStringLiteral("HideControlPanel"));
    rebuildWithFlags();
}

void TreeFolder::Clear()
{
    m_openings->loads().cancel({});
    m_drives->forgetListing();
    m_nodes.clear();
}

void TreeFolder::ReloadTree()
{
    LoadTreeView(AddBackslash(m_Path));
}
