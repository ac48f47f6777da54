#pragma once

#include <QSet>
#include <QString>
#include <QTimer>

class FileSystemObject;
class QTreeWidgetItem;
class TreeNodes;

// Volumes that did not answer in time (a slow or gone network share). The opening of such a
// volume is refused: its node is closed again but keeps its expand button, says "Not
// responding" (tooltip, italic name) and is asked again in the background until it answers;
// from then on it opens like any other. Raises no event of its own.
class SilentVolumes {
public:
    // Both must outlive this object.
    SilentVolumes(TreeNodes &nodes, const FileSystemObject &fso);

    // Refuses the opening of the node with identity id; nothing when it is gone.
    void refuse(const QString &id);
    // Marks the node as not responding and asks again until it answers, leaving it as it is
    // (a click that could not be followed).
    void notice(const QString &id);
    // The node is not asked again (a drive gone from the mount table: asking would find the
    // folder below it).
    void forget(const QString &id) { m_ids.remove(id); }
    // True while a refusal closes its node: that is no user's closing.
    bool closing() const { return m_closing; }

    // Marks a node's row as not responding, or as answering again.
    static void mark(QTreeWidgetItem *item, bool silent);

private:
    void askAgain();

    TreeNodes &m_nodes;
    const FileSystemObject &m_fso;
    QSet<QString> m_ids;
    QTimer m_timer;
    bool m_closing = false;
};
