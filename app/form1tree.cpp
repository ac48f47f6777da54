#include "app/form1.h"
#include "treefolder/treefolder.h"

#include <QGroupBox>

// The tree with the settings the window keeps for it: Arial 9 pt bold and no Control Panel.
// A click on a drive or folder charts that folder.
void Form1::createTreeFolder1()
{
    m_TreeFolder1 =
        new TreeFolder(m_environment.drives.get(), m_environment.specialFolders.get(), m_Frame2);
    m_TreeFolder1->setObjectName(QStringLiteral("TreeFolder1"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    font.setWeight(QFont::Bold);
    m_TreeFolder1->setFont(font);
    m_TreeFolder1->setHideControlPanel(true);
    connect(m_TreeFolder1, &TreeFolder::FolderClick, this, &Form1::TreeFolder1_FolderClick);
}
