#include "treefolder/nodekeys.h"
#include "treefolder/treefolder.h"

#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {

// How often a volume that did not answer is asked again.
constexpr int ReaskMilliseconds = 1000;

} // namespace

void TreeFolder::showNotResponding(QTreeWidgetItem *item, bool silent)
{
    item->setToolTip(0, silent ? QStringLiteral("Not responding") : QString());
    QFont font = item->font(0);
    font.setItalic(silent);
    item->setFont(0, font);
}

void TreeFolder::refuseSilentVolume(const QString &id)
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
        const QScopedValueRollback quiet(m_quietCollapse, true);
        node.setExpanded(false);
    }
    showNotResponding(node.item(), true);
    m_silentIds.insert(id);
    if (!m_reaskTimer.isActive()) {
        m_reaskTimer.setInterval(ReaskMilliseconds);
        m_reaskTimer.start();
    }
}

void TreeFolder::reaskSilentVolumes()
{
    const QSet<QString> silent = m_silentIds;
    for (const QString &id : silent) {
        const TreeNode node = m_nodes.findId(id);
        if (node.isNull()) {
            m_silentIds.remove(id);
            continue;
        }
        const std::optional<bool> answers = m_FSO.askAgain(node.key());
        if (answers.value_or(false)) {
            showNotResponding(node.item(), false);
            m_silentIds.remove(id);
        }
    }
    if (m_silentIds.isEmpty())
        m_reaskTimer.stop();
}
