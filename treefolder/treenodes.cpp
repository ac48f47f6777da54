#include "treefolder/treenodes.h"

#include "platform/runtimeerror.h"

#include <QTreeWidget>
#include <iterator>

namespace {

constexpr int ElementNotFound = 35601;

} // namespace

TreeNode TreeNodes::add(const QString &parentKey, const QString &key, const QString &text,
                        int image)
{
    if (m_byKey.contains(key))
        throw RuntimeError(RuntimeErrorNumber::KeyNotUnique,
                           QStringLiteral("Key is not unique in collection"));
    QTreeWidgetItem *parent = nullptr;
    if (!parentKey.isEmpty()) {
        parent = m_byKey.value(parentKey);
        if (!parent)
            throw RuntimeError(ElementNotFound, QStringLiteral("Element not found"));
    }
    auto *item = new QTreeWidgetItem;
    item->setFlags(item->flags() | Qt::ItemIsEditable); // label editing is the tree's to allow
    const quint64 serial = m_nextSerial++;
    item->setText(0, text);
    item->setData(0, NodeRole::Key, key);
    item->setData(0, NodeRole::Serial, serial);
    TreeNode node(this, item);
    if (image > 0)
        node.setImage(image);
    else
        item->setData(0, NodeRole::Image, 0);
    if (m_checkBoxes)
        item->setCheckState(0, Qt::Unchecked);
    if (parent)
        parent->addChild(item);
    else
        m_tree->addTopLevelItem(item);
    m_byKey.insert(key, item);
    m_byAddOrder.emplace(serial, item);
    return node;
}

void TreeNodes::forget(QTreeWidgetItem *item)
{
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
    m_byKey.remove(item->data(0, NodeRole::Key).toString());
    m_byAddOrder.erase(item->data(0, NodeRole::Serial).toULongLong());
}

void TreeNodes::remove(const TreeNode &node)
{
    QTreeWidgetItem *item = node.item();
    if (!item || m_byKey.value(node.key()) != item)
        return;
    forget(item);
    delete item;
}

void TreeNodes::clear()
{
    m_byKey.clear();
    m_byAddOrder.clear();
    m_tree->clear();
}

TreeNode TreeNodes::find(const QString &key) const
{
    return TreeNode(this, m_byKey.value(key));
}

TreeNode TreeNodes::at(int index) const
{
    if (index < 1 || index > count())
        return {};
    return TreeNode(this, std::next(m_byAddOrder.begin(), index - 1)->second);
}

int TreeNodes::indexOf(const QTreeWidgetItem *item) const
{
    const auto found = m_byAddOrder.find(item->data(0, NodeRole::Serial).toULongLong());
    if (found == m_byAddOrder.end() || found->second != item)
        return 0;
    return int(std::distance(m_byAddOrder.begin(), found)) + 1;
}

void TreeNodes::setCheckBoxes(bool shown)
{
    m_checkBoxes = shown;
    for (QTreeWidgetItem *item : std::as_const(m_byKey)) {
        if (shown)
            item->setCheckState(0, item->data(0, NodeRole::Checked).toBool() ? Qt::Checked
                                                                             : Qt::Unchecked);
        else
            item->setData(0, Qt::CheckStateRole, QVariant());
    }
}
