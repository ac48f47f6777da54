#pragma once

#include "treefolder/treenode.h"

#include <QHash>
#include <QList>
#include <QMultiHash>
#include <QString>
#include <map>

class ImageList;
class QTreeWidget;
class QTreeWidgetItem;

// The node collection of the tree widget: nodes by key and by their 1-based position in the
// order they were added. Removing a node removes its descendants too, and the nodes after it
// move up.
//
// A node's key is what callers see: a folder's real path, a drive's mount point with its
// separator, "Root_..." for the roots. One folder can be shown by several nodes (Documents at
// the top and inside the home folder; the home folder under "/" and as a drive of its own), so
// a key may name several nodes. Inside the control each node also has an identity of its own
// that never leaves it: the key for the first node shown with that key, the key with a suffix
// no path can hold for every further one.
class TreeNodes {
public:
    TreeNodes(QTreeWidget *tree, const ImageList *images) : m_tree(tree), m_images(images) {}

    // Adds a node under the node keyed parentKey, or at the top when parentKey is empty.
    // Throws RuntimeError 35602 when the key is taken and 35601 when there is no such parent.
    TreeNode add(const QString &parentKey, const QString &key, const QString &text, int image);
    void remove(const TreeNode &node);
    // Removes every child of node but its last one, as removing the first one again and
    // again until one is left would.
    void removeAllChildrenButLast(const TreeNode &node);
    void clear();

    int count() const { return int(m_byId.size()); }
    // The node shown with key; where several are, the one added first that is still there.
    TreeNode find(const QString &key) const;
    // Every node shown with key, in the order they were added.
    QList<TreeNode> findAll(const QString &key) const;
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
    friend class BackgroundLoads;
    friend class DriveFollower;
    friend class FolderFollower;
    friend class FolderOpenings;
    friend class SilentVolumes;
    friend class TreeFolder;
    friend struct TreeFolderPrivate;
    // The control's own side: nodes by their identity, and nodes that may show a key that is
    // shown already. parentId names the parent by its identity.
    TreeNode findId(const QString &id) const { return TreeNode(this, m_byId.value(id)); }
    TreeNode addShown(const QString &parentId, const QString &key, const QString &text, int image);
    TreeNode insert(const QString &parentId, const QString &id, const QString &key,
                    const QString &text, int image);
    void forget(QTreeWidgetItem *item);

    QTreeWidget *m_tree = nullptr;
    const ImageList *m_images = nullptr;
    QHash<QString, QTreeWidgetItem *> m_byId;
    QMultiHash<QString, QTreeWidgetItem *> m_byKey;
    std::map<quint64, QTreeWidgetItem *> m_byAddOrder;
    quint64 m_nextSerial = 1;
    bool m_checkBoxes = false;
};

// Roles under which a node keeps its fields in its tree widget item.
namespace NodeRole {
constexpr int Id = 0x0100; // Qt::UserRole; the identity, which never leaves the control
constexpr int Key = 0x0105;
constexpr int Tag = 0x0101;
constexpr int Image = 0x0102;
constexpr int Serial = 0x0103;
constexpr int Checked = 0x0104;
} // namespace NodeRole
