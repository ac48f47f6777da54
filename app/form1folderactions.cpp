#include "app/folderactions.h"
#include "app/form1.h"
#include "app/trashbar.h"
#include "chart/piechart.h"
#include "foldersize/sizememory.h"
#include "platform/nativepath.h"
#include "platform/postback.h"
#include "treefolder/treefolder.h"

#include <QLabel>

// The menu of a slice, a legend row or a tree node, the keys Delete and F5, and the bar that
// offers Undo.
void Form1::createFolderActions()
{
    FolderActions::Host host;
    host.window = this;
    host.chart = &m_chart;
    host.pie = m_MSChart1;
    host.tree = m_TreeFolder1;
    host.bar = m_TrashBar;
    host.launcher = m_environment.launcher.get();
    host.confirm = m_environment.confirmBox.get();
    host.drives = m_environment.drives.get();
    host.charting = [this] { return !idle(); };
    host.refresh = [this] { refresh(); };
    host.slicesChanged = [this](bool hasSlices) { this->slicesChanged(hasSlices); };
    host.chartMenuItems = [this](QMenu *menu) { addComparisonItems(menu); };
    m_folderActions = new FolderActions(host, this);
    connect(m_TrashBar, &TrashBar::undoRequested, m_folderActions, &FolderActions::undo);
}

// Refresh forgets what the size memory remembers under the folder, off the GUI thread (the
// folder's name is resolved on its volume), then charts it again: every total is walked.
void Form1::refresh()
{
    const QString folder = m_chart.count() > 0 ? m_chart.folder() : Dir1().path();
    const std::shared_ptr<SizeMemory> memory = m_environment.sizeMemory;
    if (!memory) {
        TreeFolder1_FolderClick(folder);
        return;
    }
    runThenPost<bool>(
        this,
        [memory, path = nativePath(folder).toStdString()] {
            memory->forgetUnder(path);
            return true;
        },
        [this, folder](bool) { TreeFolder1_FolderClick(folder); }, WithoutThread::RunHere);
}

void Form1::slicesChanged(bool hasSlices)
{
    m_MSChart1->setVisible(hasSlices);
    m_NoSubfolders->setVisible(!hasSlices);
    if (!hasSlices)
        m_NoSubfolders->setText(tr("No subfolders in %1").arg(chartFolderName(m_chart.folder())));
}
