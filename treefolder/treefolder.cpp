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
#include "treefolder/treefolderprivate.h"

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
    : QWidget(parent), d(std::make_unique<TreeFolderPrivate>(
                           *this, drives ? *drives : machineDrives(),
                           specialFolders ? *specialFolders : machineSpecialFolders()))
{
    d->setUpInnerTree();
    d->Initialize();
}

TreeFolderPrivate::TreeFolderPrivate(TreeFolder &control, const DriveProvider &drives,
                                     const SpecialFolders &specialFolders)
    : q(control), TreeView1(new FolderTreeView(&control)), m_FSO(drives, specialFolders),
      m_nodes(TreeView1, &m_pictures.list())
{}

TreeFolderPrivate::~TreeFolderPrivate() = default;

void TreeFolderPrivate::setUpInnerTree()
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

    using T = TreeFolder;
    QObject::connect(TreeView1, &QTreeWidget::itemExpanded, &q,
                     [this](QTreeWidgetItem *item) { m_openings->expanded(item); });
    QObject::connect(TreeView1, &QTreeWidget::itemCollapsed, &q,
                     [this](QTreeWidgetItem *item) { m_openings->collapsed(item); });
    QObject::connect(TreeView1, &FolderTreeView::nodeClicked, &q,
                     [this](QTreeWidgetItem *item) { onNodeClicked(item); });
    QObject::connect(TreeView1, &FolderTreeView::checkStateWritten, &q,
                     [this](QTreeWidgetItem *item) { onCheckStateWritten(item); });
    QObject::connect(TreeView1->selectionModel(), &QItemSelectionModel::selectionChanged, &q,
                     [this](const QItemSelection &selected, const QItemSelection &deselected) {
                         onSelectionChanged(selected, deselected);
                     });

    // The host's handlers get the tree's own argument variables: direct connections only.
    m_bridge = new TreeEventBridge(TreeView1, &q);
    const auto pass = [this](auto bridgeEvent, auto controlEvent) {
        QObject::connect(m_bridge, bridgeEvent, &q, controlEvent);
    };
    pass(&TreeEventBridge::AfterRename, &T::AfterRename);
    pass(&TreeEventBridge::BeforeRename, &T::BeforeRename);
    pass(&TreeEventBridge::Click, &T::Click);
    pass(&TreeEventBridge::DblClick, &T::DblClick);
    pass(&TreeEventBridge::KeyDown, &T::KeyDown);
    pass(&TreeEventBridge::KeyPress, &T::KeyPress);
    pass(&TreeEventBridge::KeyUp, &T::KeyUp);
    pass(&TreeEventBridge::MouseDown, &T::MouseDown);
    pass(&TreeEventBridge::MouseMove, &T::MouseMove);
    pass(&TreeEventBridge::MouseUp, &T::MouseUp);
    pass(&TreeEventBridge::OLECompleteDrag, &T::OLECompleteDrag);
    // A drop nobody handles is refused: taken with Move, its source would delete what it sent.
    // These outlive this part while the control is destroyed, so they hold the control only.
    T *const control = &q;
    QObject::connect(
        m_bridge, &TreeEventBridge::OLEDragDrop, control,
        [control](QMimeData *Data, int &Effect, short &Button, short &Shift, float &X, float &Y) {
            if (dropHandled(*control))
                emit control->OLEDragDrop(Data, Effect, Button, Shift, X, Y);
            else
                Effect = DropEffect::None;
        });
    QObject::connect(m_bridge, &TreeEventBridge::OLEDragOver, control,
                     [control](QMimeData *Data, int &Effect, short &Button, short &Shift, float &X,
                               float &Y, short &State) {
                         emit control->OLEDragOver(Data, Effect, Button, Shift, X, Y, State);
                         if (!dropHandled(*control))
                             Effect = DropEffect::None; // shows the drag that it cannot drop here
                     });
    pass(&TreeEventBridge::OLEGiveFeedback, &T::OLEGiveFeedback);
    pass(&TreeEventBridge::OLESetData, &T::OLESetData);
    pass(&TreeEventBridge::OLEStartDrag, &T::OLEStartDrag);
    m_silent = std::make_unique<SilentVolumes>(m_nodes, m_FSO);
    m_openings =
        std::make_unique<FolderOpenings>(static_cast<FolderOpenings::Host &>(*this), *TreeView1,
                                         m_nodes, m_pictures, m_FSO, *m_silent);
    m_drives = std::make_unique<DriveFollower>(static_cast<DriveFollower::Host &>(*this), m_nodes,
                                               m_FSO, *m_silent);
    m_follower =
        std::make_unique<FolderFollower>(static_cast<FolderFollower::Host &>(*this), m_nodes);
}

bool TreeFolderPrivate::dropHandled(const TreeFolder &control)
{
    return control.isSignalConnected(QMetaMethod::fromSignal(&TreeFolder::OLEDragDrop));
}

TreeFolder::~TreeFolder()
{
    d->m_drives.reset(); // waits for a listing under way, which reads m_FSO
    d->m_follower.reset();
    d->m_openings->loads().cancel({});
    // The tree widget goes before the node collection would notice; nothing may react to it.
    d->TreeView1->disconnect(this);
    d->TreeView1->selectionModel()->disconnect(this);
}

QTreeWidget *TreeFolder::treeView() const
{
    return d->TreeView1;
}

QString TreeFolderPrivate::displayName() const
{
    return q.objectName().isEmpty() ? QStringLiteral("TreeFolder") : q.objectName();
}

QString TreeFolder::path() const
{
    const QList<QTreeWidgetItem *> selected = d->TreeView1->selectedItems();
    if (selected.isEmpty())
        return d->m_Path;
    return TreeNode(&d->m_nodes, selected.first()).key();
}

void TreeFolder::setPath(const QString &p)
{
    d->m_Path = p;
    ReloadTree();
    SelectPath(p);
    d->reportChange(QStringLiteral("Path"));
    emit Change();
}

void TreeFolderPrivate::rebuildWithFlags()
{
    q.Clear();
    q.ReloadTree();
}

void TreeFolder::setHideFavorites(bool hide)
{
    d->m_HideFavorites = hide;
    d->reportChange(QStringLiteral("HideFavorites"));
    d->rebuildWithFlags();
}

void TreeFolder::setHideMyDocuments(bool hide)
{
    d->m_HideMyDocuments = hide;
    d->reportChange(QStringLiteral("HideMyDocuments"));
    d->rebuildWithFlags();
}

void TreeFolder::setHideNetwork(bool hide)
{
    d->m_HideNetwork = hide;
    d->reportChange(QStringLiteral("HideNetwork"));
    d->rebuildWithFlags();
}

void TreeFolder::setHideControlPanel(bool hide)
{
    d->m_HideControlPanel = hide;
    d->reportChange(QStringLiteral("HideControlPanel"));
    d->rebuildWithFlags();
}

void TreeFolder::Clear()
{
    d->m_openings->loads().cancel({});
    d->m_drives->forgetListing();
    d->m_follower->forgetAll();
    d->m_nodes.clear();
}

void TreeFolder::ReloadTree()
{
    LoadTreeView(AddBackslash(d->m_Path));
}

bool TreeFolder::hideFavorites() const
{
    return d->m_HideFavorites;
}

bool TreeFolder::hideMyDocuments() const
{
    return d->m_HideMyDocuments;
}

bool TreeFolder::hideNetwork() const
{
    return d->m_HideNetwork;
}

bool TreeFolder::hideControlPanel() const
{
    return d->m_HideControlPanel;
}
