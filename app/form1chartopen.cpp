#include "app/form1.h"
#include "chart/piechart.h"
#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "treefolder/treefolder.h"

#include <utility>

// The subfolder is looked for among the children of the very node the chart was made from
// (the selected one, while it still shows the charted folder), so that a folder the tree shows
// twice opens in the copy the user was looking at; the tree then selects it and raises the
// events of a user's click on it, whose FolderClick charts it.
void Form1::MSChart1_ColumnActivated(int column)
{
    if (column < 1 || column > m_MSChart1->columnCount())
        return;
    const QString path = pathFromNative(m_chart.at(column - 1).path);
    TreeNode parent = m_TreeFolder1->selectedNode();
    if (parent.isNull() || normalizedFolderPath(parent.key()) != m_chart.folder()) {
        // Its branch was closed or another node chosen meanwhile: opened along the path.
        m_TreeFolder1->SelectPath(m_chart.folder());
        parent = m_TreeFolder1->selectedNode();
        if (parent.isNull() || normalizedFolderPath(parent.key()) != m_chart.folder())
            return;
    }
    m_subfolderToOpen.clear();
    try {
        parent.setExpanded(true); // lists its children, when they are not loaded yet
    } catch (const RuntimeError &) {
    }
    // A folder of many entries is listed in the background: its children come with its
    // FolderExpand.
    if (!clickChartedSubfolder(path))
        m_subfolderToOpen = path;
}

bool Form1::clickChartedSubfolder(const QString &path)
{
    // Expanding may have replaced the node; the selection keeps pointing at the live one.
    const TreeNode parent = m_TreeFolder1->selectedNode();
    if (parent.isNull() || normalizedFolderPath(parent.key()) != m_chart.folder())
        return false;
    for (TreeNode child = parent.child(); !child.isNull(); child = child.next()) {
        if (child.key() == path) {
            m_TreeFolder1->ClickNode(child);
            return true;
        }
    }
    return false;
}

void Form1::TreeFolder1_FolderExpand(const QString &path)
{
    if (m_subfolderToOpen.isEmpty() || normalizedFolderPath(path) != m_chart.folder())
        return;
    const QString subfolder = std::exchange(m_subfolderToOpen, QString());
    clickChartedSubfolder(subfolder);
}
