#include "treefolder/silentvolumes.h"

#include "treefolder/filesystemobject.h"
#include "treefolder/nodekeys.h"
#include "treefolder/treenodes.h"

#include <QCoreApplication>
#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {

// How often a volume that did not answer is asked again.
constexpr int ReaskMilliseconds = 1000;

} // namespace

SilentVolumes::SilentVolumes(TreeNodes &nodes, const FileSystemObject &fso)
    : m_nodes(nodes), m_fso(fso)
{
    m_timer.setInterval(ReaskMilliseconds);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { askAgain(); });
}

void SilentVolumes::mark(QTreeWidgetItem *item, bool silent)
{
    item->setToolTip(0, silent ? QCoreApplication::translate("TreeFolder", "Not responding")
                               : QString());
    QFont font = item->font(0);
    font.setItalic(silent);
    item->setFont(0, font);
}

void SilentVolumes::refuse(const QString &id)
{
    TreeNode node = m_nodes.findId(id);
    if (node.isNull())
        return;
    node.setTag(0);
    // It keeps its expand button, so that the user can try again once it answers.
    if (node.children() == 0)
        m_nodes.addShown(id,
                         isDriveKey(node.key()) ? entryPlaceholderKey(node.key())
                                                : folderPlaceholderKey(node.key()),
                         {}, 0);
    {
        const QScopedValueRollback closing(m_closing, true);
        node.setExpanded(false);
    }
    notice(id);
}

void SilentVolumes::notice(const QString &id)
{
    const TreeNode node = m_nodes.findId(id);
    if (node.isNull())
        return;
    mark(node.item(), true);
    m_ids.insert(id);
    if (!m_timer.isActive())
        m_timer.start();
}

void SilentVolumes::askAgain()
{
    const QSet<QString> silent = m_ids;
    for (const QString &id : silent) {
        const TreeNode node = m_nodes.findId(id);
        if (node.isNull()) {
            m_ids.remove(id);
            continue;
        }
        const std::optional<bool> answers = m_fso.askAgain(node.key());
        if (answers.value_or(false)) {
            mark(node.item(), false);
            m_ids.remove(id);
        }
    }
    if (m_ids.isEmpty())
        m_timer.stop();
}
