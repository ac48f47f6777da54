#include "treefolder/treenodes.h"

#include "platform/runtimeerror.h"

#include <QTreeWidget>
#include <algorithm>
#include <iterator>

namespace {

constexpr int ElementNotFound = 35601;

} // namespace

TreeNode TreeNodes::add(const QString &parentKey, const QString &key, const QString &text,
                        int image)
{
    if (m_byKey.contains(key) || m_byId.contains(key))
        throw RuntimeError(RuntimeErrorNumber::KeyNotUnique,
                           QStringLiteral("Key is not unique in collection"));
    return insert(parentKey, key, key, text, image);
}

TreeNode TreeNodes::addShown(const QString &parentId, const QString &key, const QString &text,
                             int image)
{
    // NUL is the one character no path holds, so a suffix after it is never a key.
    QString id = key;
    if (m_byId.contains(id))
        id = key + QChar(0) + QString::number(m_nextSerial);
    return insert(parentId, id, key, text, image);
}

TreeNode TreeNodes::insert(const QString &parentId, const QString &id, const QString &key,
                           const QString &text, int image)
{
    QTreeWidgetItem *parent = nullptr;
    if (!parentId.isEmpty()) {
        parent = m_byId.value(parentId);
        if (!parent)
            throw RuntimeError(ElementNotFound, QStringLiteral("Element not found"));
    }
    auto *item = new QTreeWidgetItem;
    item->setFlags(item->flags() | Qt::ItemIsEditable); // label editing is the tree's to allow
    const quint64 serial = m_nextSerial++;
    item->setText(0, text);
    item->setData(0, NodeRole::Id, id);
    if (key != id)
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
    m_byId.insert(id, item);
    m_byKey.insert(key, item);
    m_byAddOrder.emplace(serial, item);
    return node;
}

void TreeNodes::forget(QTreeWidgetItem *item)
{
    for (int i = 0; i < item->childCount(); ++i)
        forget(item->child(i));
    const TreeNode node(this, item);
    m_byId.remove(node.id());
    m_byKey.remove(node.key(), item);
    m_byAddOrder.erase(item->data(0, NodeRole::Serial).toULongLong());
}

void TreeNodes::removeAllChildrenButLast(const TreeNode &node)
{
    QTreeWidgetItem *item = node.item();
    if (!item || item->childCount() < 2)
        return;
    // Taken out at once: one by one, a folder of many thousand children closes for seconds.
    QList<QTreeWidgetItem *> children = item->takeChildren();
    item->addChild(children.takeLast());
    for (QTreeWidgetItem *child : std::as_const(children)) {
        forget(child);
        delete child;
    }
}

void TreeNodes::remove(const TreeNode &node)
{
    QTreeWidgetItem *item = node.item();
    if (!item || m_byId.value(node.id()) != item)
        return;
    forget(item);
    delete item;
}

void TreeNodes::clear()
{
    m_byId.clear();
    m_byKey.clear();
    m_byAddOrder.clear();
    m_tree->clear();
}

TreeNode TreeNodes::find(const QString &key) const
{
    QTreeWidgetItem *first = nullptr;
    const auto [begin, end] = m_byKey.equal_range(key);
    for (auto it = begin; it != end; ++it) {
        if (!first || it.value()->data(0, NodeRole::Serial).toULongLong() <
                          first->data(0, NodeRole::Serial).toULongLong())
            first = it.value();
    }
    return TreeNode(this, first);
}

QList<TreeNode> TreeNodes::findAll(const QString &key) const
{
    QList<TreeNode> nodes;
    const auto [begin, end] = m_byKey.equal_range(key);
    for (auto it = begin; it != end; ++it)
        nodes.append(TreeNode(this, it.value()));
    std::sort(nodes.begin(), nodes.end(), [](const TreeNode &a, const TreeNode &b) {
        return a.item()->data(0, NodeRole::Serial).toULongLong() <
               b.item()->data(0, NodeRole::Serial).toULongLong();
    });
    return nodes;
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
    for (QTreeWidgetItem *item : std::as_const(m_byId)) {
        if (shown)
            item->setCheckState(0, item->data(0, NodeRole::Checked).toBool() ? Qt::Checked
                                                                             : Qt::Unchecked);
        else
            item->setData(0, Qt::CheckStateRole, QVariant());
    }
}
