#include "app/form1.h"
#include "app/piechart.h"
#include "treefolder/treefolder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidget>

namespace {

QString parentFolder(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}

void sendMouse(QWidget *target, QEvent::Type type, QPoint at)
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

} // namespace

// The subfolder is opened the way the user would open it: its parents are opened in the
// tree, and its node is clicked, so the tree raises the events of a click on it and its
// FolderClick charts it.
void Form1::MSChart1_ColumnActivated(int column)
{
    const QString path = m_MSChart1->columnPath(column);
    if (path.isEmpty())
        return;
    TreeNodes &nodes = m_TreeFolder1->FolderNodes();
    if (nodes.find(path).isNull())
        m_TreeFolder1->SelectPath(parentFolder(path));
    const TreeNode node = nodes.find(path);
    if (node.isNull())
        return;
    QTreeWidget *view = m_TreeFolder1->treeView();
    view->scrollToItem(node.item());
    const QRect row = view->visualItemRect(node.item());
    // Beyond the row's check box, if it has one, and within the part of it in view.
    const QPoint at(std::min(row.left() + row.width() / 2, row.left() + 120), row.center().y());
    if (!view->viewport()->rect().contains(at))
        return;
    sendMouse(view->viewport(), QEvent::MouseButtonPress, at);
    sendMouse(view->viewport(), QEvent::MouseButtonRelease, at);
}
