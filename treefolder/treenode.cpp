#include "treefolder/treenode.h"

#include "treefolder/imagelist.h"
#include "treefolder/treenodes.h"

#include <QTreeWidget>

QString TreeNode::key() const
{
    if (!m_item)
        return {};
    // Only a node whose key differs from its identity keeps the key apart.
    const QVariant key = m_item->data(0, NodeRole::Key);
    return key.isValid() ? key.toString() : m_item->data(0, NodeRole::Id).toString();
}

QString TreeNode::id() const
{
    return m_item ? m_item->data(0, NodeRole::Id).toString() : QString();
}

QString TreeNode::text() const
{
    return m_item ? m_item->text(0) : QString();
}

int TreeNode::image() const
{
    return m_item ? m_item->data(0, NodeRole::Image).toInt() : 0;
}

void TreeNode::setImage(int image)
{
    if (!m_item)
        return;
    m_item->setData(0, NodeRole::Image, image);
    m_item->setIcon(0, image > 0 && m_nodes ? m_nodes->images()->icon(image) : QIcon());
}

std::optional<int> TreeNode::tag() const
{
    const QVariant tag = m_item ? m_item->data(0, NodeRole::Tag) : QVariant();
    return tag.isValid() ? std::optional<int>(tag.toInt()) : std::nullopt;
}

void TreeNode::setTag(std::optional<int> tag)
{
    if (m_item)
        m_item->setData(0, NodeRole::Tag, tag ? QVariant(*tag) : QVariant());
}

bool TreeNode::checked() const
{
    return m_item && m_item->data(0, NodeRole::Checked).toBool();
}

void TreeNode::setChecked(bool checked)
{
    if (!m_item)
        return;
    m_item->setData(0, NodeRole::Checked, checked);
    if (m_nodes && m_nodes->checkBoxes())
        m_item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

bool TreeNode::expanded() const
{
    return m_item && m_item->isExpanded();
}

void TreeNode::setExpanded(bool expanded)
{
    if (m_item)
        m_item->setExpanded(expanded);
}

bool TreeNode::selected() const
{
    return m_item && m_item->isSelected();
}

void TreeNode::setSelected(bool selected)
{
    if (m_item)
        m_item->setSelected(selected);
}

TreeNode TreeNode::parent() const
{
    return wrap(m_item ? m_item->parent() : nullptr);
}

TreeNode TreeNode::child() const
{
    return wrap(m_item && m_item->childCount() > 0 ? m_item->child(0) : nullptr);
}

namespace {

// The item's siblings live either under its parent or at the top of the tree.
int siblingCount(const QTreeWidgetItem *item)
{
    if (item->parent())
        return item->parent()->childCount();
    return item->treeWidget() ? item->treeWidget()->topLevelItemCount() : 1;
}

QTreeWidgetItem *sibling(const QTreeWidgetItem *item, int row)
{
    if (item->parent())
        return item->parent()->child(row);
    return item->treeWidget() ? item->treeWidget()->topLevelItem(row) : nullptr;
}

int rowOf(const QTreeWidgetItem *item)
{
    if (item->parent())
        return item->parent()->indexOfChild(const_cast<QTreeWidgetItem *>(item));
    return item->treeWidget()
               ? item->treeWidget()->indexOfTopLevelItem(const_cast<QTreeWidgetItem *>(item))
               : 0;
}

} // namespace

TreeNode TreeNode::next() const
{
    if (!m_item)
        return {};
    const int row = rowOf(m_item) + 1;
    return wrap(row < siblingCount(m_item) ? sibling(m_item, row) : nullptr);
}

TreeNode TreeNode::lastSibling() const
{
    return wrap(m_item ? sibling(m_item, siblingCount(m_item) - 1) : nullptr);
}

int TreeNode::children() const
{
    return m_item ? m_item->childCount() : 0;
}

int TreeNode::index() const
{
    return m_item && m_nodes ? m_nodes->indexOf(m_item) : 0;
}
