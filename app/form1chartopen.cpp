#include "app/form1.h"
#include "chart/piechart.h"
#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "treefolder/treefolder.h"

namespace {

// Whether key is the node of folder, or of the same folder shown a second time in the tree
// and keyed with "/." after its path (Documents at the top and inside the home folder).
bool isNodeOf(const QString &key, const QString &folder)
{
    if (!key.startsWith(folder))
        return false;
    for (qsizetype at = folder.size(); at < key.size(); at += 2) {
        if (key.mid(at, 2) != QLatin1String("/."))
            return false;
    }
    return true;
}

} // namespace

// The subfolder is looked for among the children of the very node the chart was made from,
// so that a folder the tree shows twice opens in the copy the user was looking at; the tree
// then selects it and raises the events of a user's click on it, whose FolderClick charts it.
void Form1::MSChart1_ColumnActivated(int column)
{
    if (column < 1 || column > m_MSChart1->columnCount())
        return;
    const QString path = pathFromNative(m_chart.at(column - 1).path);
    TreeNodes &nodes = m_TreeFolder1->FolderNodes();
    TreeNode parent = nodes.find(m_chartKey);
    if (parent.isNull())
        parent = nodes.find(normalizedFolderPath(m_chartKey));
    if (parent.isNull()) {
        // Its branch was closed meanwhile: opened again along the folder's path.
        m_TreeFolder1->SelectPath(m_chart.folder());
        parent = nodes.find(m_chart.folder());
    }
    if (parent.isNull())
        return;
    const QString parentKey = parent.key();
    try {
        parent.setExpanded(true); // lists its children, when they are not loaded yet
    } catch (const RuntimeError &) {
    }
    parent = nodes.find(parentKey);
    for (TreeNode child = parent.isNull() ? TreeNode() : parent.child(); !child.isNull();
         child = child.next()) {
        if (isNodeOf(child.key(), path)) {
            m_TreeFolder1->ClickNode(child.key());
            return;
        }
    }
}
