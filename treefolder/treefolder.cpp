#include "treefolder/treefolder.h"

#include "platform/drives.h"
#include "platform/specialfolders.h"
#include "treefolder/pathtext.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

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
    : QWidget(parent), TreeView1(new QTreeWidget(this)),
      m_FSO(drives ? *drives : machineDrives(),
            specialFolders ? *specialFolders : machineSpecialFolders()),
      m_nodes(TreeView1, &imgFolder)
{
    TreeView1->setObjectName(QStringLiteral("TreeView1"));
    TreeView1->setColumnCount(1);
    TreeView1->header()->hide();
    TreeView1->setRootIsDecorated(true);
    TreeView1->setUniformRowHeights(true); // keeps a folder of many thousand children cheap
    TreeView1->setAnimated(false);
    TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    TreeView1->setIconSize(QSize(16, 16));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(TreeView1);

    connect(TreeView1, &QTreeWidget::itemExpanded, this, &TreeFolder::onItemExpanded);
    connect(TreeView1, &QTreeWidget::itemCollapsed, this, &TreeFolder::onItemCollapsed);
    Initialize();
}

TreeFolder::~TreeFolder()
{
    // The tree widget goes before the node collection would notice; nothing may react to it.
    TreeView1->disconnect(this);
}

void TreeFolder::Initialize()
{
    ReloadTree();
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
    emit Change();
}

void TreeFolder::setHideFavorites(bool hide)
{
    m_HideFavorites = hide;
    Clear();
    ReloadTree();
}

void TreeFolder::setHideMyDocuments(bool hide)
{
    m_HideMyDocuments = hide;
    Clear();
    ReloadTree();
}

void TreeFolder::setHideNetwork(bool hide)
{
    m_HideNetwork = hide;
    Clear();
    ReloadTree();
}

void TreeFolder::setHideControlPanel(bool hide)
{
    m_HideControlPanel = hide;
    Clear();
    ReloadTree();
}

void TreeFolder::Clear()
{
    m_nodes.clear();
    m_WorkSpaceNode = m_MyComputerNode = m_LastNode = m_FolderNode = TreeNode();
}

void TreeFolder::ReloadTree()
{
    LoadTreeView(AddBackslash(m_Path));
}
