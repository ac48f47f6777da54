// Move to Trash and its Undo: asked, run off the GUI thread, then shown in the chart, the tree
// and the bar.

#include "app/folderactions.h"
#include "app/trashbar.h"
#include "platform/confirmbox.h"
#include "platform/nativepath.h"
#include "platform/postback.h"
#include "treefolder/treefolder.h"

#include <QFile>

void FolderActions::moveToTrash(const FolderTarget &target)
{
    if (!target.trashRefusal.isEmpty()) {
        m_host.bar->say(tr("'%1' cannot go to the Trash: %2").arg(target.name, target.trashRefusal),
                        false);
        return;
    }
    m_host.confirm->ask(
        TrashQuestion(target), tr("Move to Trash"), tr("Move to Trash"),
        [this, target](bool goAhead) {
            if (!goAhead || m_working)
                return;
            // What changed while the question was open is asked again.
            const auto now = targetOfKey(pathFromNative(target.path));
            if (!now || now->identity != target.identity || !now->trashRefusal.isEmpty()) {
                FolderTarget refused = target;
                refused.trashRefusal = now && !now->trashRefusal.isEmpty()
                                           ? now->trashRefusal
                                           : tr("Another folder has taken its place");
                moveToTrash(refused);
                return;
            }
            m_working = true;
            runThenPost<TrashMove>(
                this, [target] { return moveFolderToTrash(target.path, target.identity); },
                [this, target](TrashMove move) { moved(target, move); }, WithoutThread::RunHere);
        });
}

void FolderActions::moved(const FolderTarget &target, const TrashMove &move)
{
    m_working = false;
    if (!move.moved) {
        m_host.bar->say(tr("'%1' was not moved: %2").arg(target.name, move.error), false);
        return;
    }
    LastMove last;
    last.move = move;
    last.target = target;
    last.chartFolder = m_host.chart->folder();
    // Its slice goes; the others keep their sizes, so the total shrinks by exactly its size.
    QList<ChartModel::Subfolder> kept;
    for (int i = 0; i < m_host.chart->count(); ++i) {
        const ChartModel::Subfolder &subfolder = m_host.chart->at(i);
        if (subfolder.path == target.path && last.index < 0) {
            last.index = i;
            last.subfolder = subfolder;
        } else {
            kept.append(subfolder);
        }
    }
    if (last.index >= 0) {
        m_host.chart->reset(m_host.chart->generation(), m_host.chart->folder(), kept);
        m_host.slicesChanged(!kept.isEmpty());
    }
    removeFromTree(pathFromNative(target.path));
    m_last = last;
    m_host.bar->say(TrashDone(target), true);
}

void FolderActions::undo()
{
    if (!m_last || m_working)
        return;
    m_working = true;
    const TrashMove move = m_last->move;
    runThenPost<TrashRestore>(
        this, [move] { return restoreFromTrash(move); },
        [this](TrashRestore restore) { restored(restore); }, WithoutThread::RunHere);
}

void FolderActions::restored(const TrashRestore &restore)
{
    m_working = false;
    if (!m_last)
        return;
    const LastMove last = *m_last;
    if (!restore.restored) {
        m_host.bar->say(tr("'%1' was not put back: %2").arg(last.target.name, restore.error),
                        false);
        m_last.reset();
        return;
    }
    m_last.reset();
    // The slice comes back at its place while the chart still shows the folder it was in and
    // has settled, unless it followed the disk there already; a chart made since has measured
    // what is there.
    QList<ChartModel::Subfolder> subfolders;
    bool shown = false;
    for (int i = 0; i < m_host.chart->count(); ++i) {
        subfolders.append(m_host.chart->at(i));
        shown = shown || subfolders.constLast().path == last.subfolder.path;
    }
    if (last.index >= 0 && !shown && !m_host.charting() &&
        m_host.chart->folder() == last.chartFolder) {
        subfolders.insert(std::min<qsizetype>(last.index, subfolders.size()), last.subfolder);
        m_host.chart->reset(m_host.chart->generation(), m_host.chart->folder(), subfolders);
        m_host.slicesChanged(true);
    }
    relistParentInTree(pathFromNative(last.move.original));
    m_host.bar->say(tr("Put '%1' back where it was").arg(last.target.name), false);
}

void FolderActions::removeFromTree(const QString &key)
{
    TreeNodes &nodes = m_host.tree->FolderNodes();
    for (const TreeNode &node : nodes.findAll(key))
        nodes.remove(node);
}

// Its parent, where open, lists its children again as an opening does.
void FolderActions::relistParentInTree(const QString &key)
{
    const qsizetype slash = key.lastIndexOf(u'/');
    const QString parent = slash <= 0 ? QStringLiteral("/") : key.left(slash);
    TreeNodes &nodes = m_host.tree->FolderNodes();
    QList<TreeNode> shown = nodes.findAll(parent);
    if (parent != QStringLiteral("/"))
        shown += nodes.findAll(parent + u'/'); // a drive's key keeps its separator
    for (TreeNode node : shown) {
        if (!node.expanded())
            continue;
        node.setExpanded(false);
        node.setExpanded(true);
    }
}
