#pragma once

#include "treefolder/treefolder.h"

#include <QStringList>

// Records the control's own events as text, in the order they are raised.
class EventLog {
public:
    explicit EventLog(TreeFolder &tree)
    {
        QObject::connect(&tree, &TreeFolder::Change, &tree, [this] { events << "Change"; });
        QObject::connect(&tree, &TreeFolder::Progress, &tree,
                         [this](short p) { events << QStringLiteral("Progress %1").arg(p); });
        QObject::connect(&tree, &TreeFolder::DriveNotReady, &tree,
                         [this](const QString &p) { events << "DriveNotReady " + p; });
        QObject::connect(&tree, &TreeFolder::FolderExpand, &tree,
                         [this](const QString &p) { events << "FolderExpand " + p; });
        QObject::connect(&tree, &TreeFolder::FolderCollapse, &tree,
                         [this](const QString &p) { events << "FolderCollapse " + p; });
        QObject::connect(&tree, &TreeFolder::RootExpand, &tree, [this](TreeFolder::RootKind k) {
            events << QStringLiteral("RootExpand %1").arg(int(k));
        });
        QObject::connect(&tree, &TreeFolder::RootCollapse, &tree, [this](TreeFolder::RootKind k) {
            events << QStringLiteral("RootCollapse %1").arg(int(k));
        });
    }
    // Only the Progress events.
    QStringList progress() const { return events.filter(QStringLiteral("Progress")); }

    QStringList events;
};

// Keys of a node's children, in tree order.
inline QStringList childKeys(const TreeNode &node)
{
    QStringList keys;
    for (TreeNode child = node.child(); !child.isNull(); child = child.next())
        keys << child.key();
    return keys;
}

// Keys of all nodes in the order of their Index.
inline QStringList keysByIndex(const TreeNodes &nodes)
{
    QStringList keys;
    for (int i = 1; i <= nodes.count(); ++i)
        keys << nodes.at(i).key();
    return keys;
}
