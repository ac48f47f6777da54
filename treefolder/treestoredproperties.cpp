#include "treefolder/foldertreeview.h"
#include "treefolder/treefolder.h"

// Loading a stored set gives most values to the tree directly, without change reports; the
// colour, the hide flags, the path and the two styles go through their properties.

void TreeFolder::setStoredEnabled(bool enabled)
{
    setEnabled(enabled);
}

void TreeFolder::setStoredBorderStyle(short borderStyle)
{
    applyBorderStyle(borderStyle);
}

void TreeFolder::setStoredBackColor(quint32 oleColor)
{
    setBackColor(oleColor);
}

void TreeFolder::setStoredCheckBoxes(bool checkBoxes)
{
    m_nodes.setCheckBoxes(checkBoxes);
}

void TreeFolder::setStoredFont(const QFont &font)
{
    TreeView1->setFont(font);
}

void TreeFolder::setStoredFullRowSelect(bool fullRowSelect)
{
    TreeView1->setFullRowSelect(fullRowSelect);
}

void TreeFolder::setStoredHideSelection(bool hideSelection)
{
    TreeView1->setHideSelection(hideSelection);
}

void TreeFolder::setStoredHotTracking(bool hotTracking)
{
    TreeView1->setHotTracking(hotTracking);
}

void TreeFolder::setStoredLabelEdit(int labelEdit)
{
    applyLabelEdit(labelEdit);
}

void TreeFolder::setStoredMouseIcon(const QPixmap &mouseIcon)
{
    m_MouseIcon = mouseIcon;
    applyCursor();
}

void TreeFolder::setStoredMousePointer(int mousePointer)
{
    applyMousePointer(mousePointer);
}

void TreeFolder::setStoredOleDragMode(int oleDragMode)
{
    applyOleDragMode(oleDragMode);
}

void TreeFolder::setStoredOleDropMode(int oleDropMode)
{
    applyOleDropMode(oleDropMode);
}

void TreeFolder::setStoredSingleSel(bool singleSel)
{
    m_SingleSel = singleSel;
}

void TreeFolder::setStoredHideControlPanel(bool hide)
{
    setHideControlPanel(hide);
}

void TreeFolder::setStoredHideFavorites(bool hide)
{
    setHideFavorites(hide);
}

void TreeFolder::setStoredHideMyDocuments(bool hide)
{
    setHideMyDocuments(hide);
}

void TreeFolder::setStoredHideNetwork(bool hide)
{
    setHideNetwork(hide);
}

void TreeFolder::setStoredPath(const QString &path)
{
    setPath(path);
}

void TreeFolder::setStoredStyle(int style)
{
    setDrawingStyle(style);
}

void TreeFolder::setStoredLineStyle(int lineStyle)
{
    setLineStyle(lineStyle);
}
