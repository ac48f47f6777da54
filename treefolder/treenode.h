#pragma once

#include <QString>
#include <optional>

class QTreeWidgetItem;
class TreeNodes;

// A handle on one node of the tree: the node fields the control works with. The node itself
// lives in the tree widget; a handle stays valid while its node is in the tree.
class TreeNode {
public:
    TreeNode() = default;
    TreeNode(const TreeNodes *nodes, QTreeWidgetItem *item) : m_nodes(nodes), m_item(item) {}

    bool isNull() const { return m_item == nullptr; }
    QTreeWidgetItem *item() const { return m_item; }

    // What callers see: a folder's real path, a drive's mount point with its separator, or a
    // root's "Root_..." name. Several nodes may show one key (treenodes.h).
    QString key() const;
    QString text() const;
    // Number of the node's picture in the image list; 0 for none.
    int image() const;
    void setImage(int image);
    // Children state: 0 not loaded, 1 loaded; no value on the top roots and placeholders.
    std::optional<int> tag() const;
    void setTag(std::optional<int> tag);
    bool checked() const;
    void setChecked(bool checked);
    bool expanded() const;
    void setExpanded(bool expanded);
    bool selected() const;
    void setSelected(bool selected);

    TreeNode parent() const;
    TreeNode child() const; // the first child
    TreeNode next() const;  // the next sibling
    TreeNode lastSibling() const;
    int children() const;
    // 1-based position in the order the nodes were added, counting only nodes still there.
    int index() const;

    friend bool operator==(const TreeNode &a, const TreeNode &b) { return a.m_item == b.m_item; }

private:
    // The control and its parts, which keep nodes apart by their identity.
    friend class BackgroundLoads;
    friend class DriveFollower;
    friend class FolderFollower;
    friend class FolderOpenings;
    friend class SilentVolumes;
    friend class TreeFolder;
    friend struct TreeFolderPrivate;
    friend class TreeNodes;
    // The node's identity inside the control; never handed out.
    QString id() const;
    TreeNode wrap(QTreeWidgetItem *item) const { return TreeNode(m_nodes, item); }

    const TreeNodes *m_nodes = nullptr;
    QTreeWidgetItem *m_item = nullptr;
};
