#include "app/form1.h"
#include "app/skiponerror.h"
#include "treefolder/storedpropertiesform1.h"
#include "treefolder/treefolder.h"

#include <QGroupBox>
#include <QTreeWidget>

// The tree, loaded from the set the window keeps for it: white, Arial 9 pt bold, selection
// kept visible, no Control Panel, manual label editing, drag and drop. A set that cannot be
// read leaves the tree with what it took so far; the window opens all the same. A click on
// a drive or folder charts that folder.
void Form1::createTreeFolder1()
{
    m_TreeFolder1 =
        new TreeFolder(m_environment.drives.get(), m_environment.specialFolders.get(), m_Frame2);
    m_TreeFolder1->setObjectName(QStringLiteral("TreeFolder1"));
    // A screen reader names the list it reads; the tree shows no caption of its own.
    m_TreeFolder1->treeView()->setAccessibleName(tr("Folders"));
    SkipOnError([this] {
        m_TreeFolder1->ReadProperties(Form1TreeFolder1Properties(), m_environment.desktopFolder);
    });
    connect(m_TreeFolder1, &TreeFolder::FolderClick, this, &Form1::TreeFolder1_FolderClick);
    connect(m_TreeFolder1, &TreeFolder::FolderExpand, this, &Form1::TreeFolder1_FolderExpand);
}
