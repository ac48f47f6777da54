#pragma once

#include "treefolder/treenode.h"

#include <QHash>
#include <QString>
#include <map>

class ImageList;
class QTreeWidget;
class QTreeWidgetItem;

// The node collection of the tree widget: nodes by unique key and by their 1-based position
// in the order they were added. Removing a node removes its descendants too, and the nodes
// after it move up.
class TreeNodes {
public:
    TreeNodes(QTreeWidget *tree, const ImageList *images) : m_tree(tree), m_images(images) {}

    // Adds a node under the node keyed parentKey, or at the top when parentKey is empty.
    // Throws RuntimeError 35602 when the key is taken and 35601 when there is no such parent.
    TreeNode add(const QString &parentKey, const QString &key, const QString &text, int image);
    void remove(const TreeNode &node);
    void clear();

    int count() const { return int(m_byKey.size()); }
    TreeNode find(const QString &key) const;
    // The node at 1-based index, or a null node.
    TreeNode at(int index) const;
    // Calls f(node) for every node in index order; cheaper than at(1) .. at(count()).
    template<typename F> void forEachInIndexOrder(F f) const
    {
        for (const auto &entry : m_byAddOrder)
            f(TreeNode(this, entry.second));
    }
    int indexOf(const QTreeWidgetItem *item) const;

    // Check boxes are shown only while this is on; each node keeps its state either way.
    bool checkBoxes() const { return m_checkBoxes; }
    void setCheckBoxes(bool shown);

    const ImageList *images() const { return m_images; }
    QTreeWidget *tree() const { return m_tree; }

private:
    void forget(QTreeWidgetItem *item);

    QTreeWidget *m_tree = nullptr;
    const ImageList *m_images = nullptr;
    QHash<QString, QTreeWidgetItem *> m_byKey;
    std::map<quint64, QTreeWidgetItem *> m_byAddOrder;
    quint64 m_nextSerial = 1;
    bool m_checkBoxes = false;
};

// Roles under which a node keeps its fields in its tree widget item.
namespace NodeRole {
constexpr int Key = 0x0100; // Qt::UserRole
constexpr int Tag = 0x0101;
constexpr int Image = 0x0102;
constexpr int Serial = 0x0103;
constexpr int Checked = 0x0104;
} // namespace NodeRole
