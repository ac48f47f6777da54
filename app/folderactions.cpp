#include "app/folderactions.h"

#include "app/terminalprogram.h"
#include "app/trashbar.h"
#include "chart/chartlegend.h"
#include "chart/piechart.h"
#include "platform/drives.h"
#include "platform/launcher.h"
#include "platform/nativepath.h"
#include "posix/offthread.h"
#include "treefolder/nodekeys.h"
#include "treefolder/treefolder.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <chrono>

namespace {

// The bytes of a folder as the tree or the chart names it, without a trailing separator.
QByteArray folderBytes(const QString &path)
{
    QByteArray bytes = nativePath(path);
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    return bytes;
}

// How long the menu waits for a volume to say what it knows of a folder.
constexpr std::chrono::milliseconds FactsBound{300};

} // namespace

FolderActions::FolderActions(Host host, QObject *parent) : QObject(parent), m_host(std::move(host))
{
    m_host.window->installEventFilter(this);
    QTreeWidget *view = m_host.tree->treeView();
    m_treeView = view;
    m_treeViewport = view->viewport();
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    connect(m_host.pie, &PieChart::contextMenuRequested, this, [this](int column, QPoint at) {
        if (const auto target = targetOfColumn(column)) {
            openMenu(*target, at);
            if (m_host.chartMenuItems)
                m_host.chartMenuItems(m_menu);
        }
    });
}

QString FolderActions::refusalFor(const QByteArray &path, const TrashFolderFacts &facts) const
{
    TrashRequest request;
    request.folder = path;
    request.home = folderBytes(QDir::homePath());
    if (m_host.chart->count() > 0)
        request.charted = folderBytes(m_host.chart->folder());
    const QString selected = m_host.tree->selectedFolder();
    if (selected.startsWith(u'/'))
        request.selected = folderBytes(selected);
    request.moving = m_working;
    // Its slice, or the one that holds it, may still change while the chart is being made.
    request.measuring = m_host.charting() && folderWithin(path, request.charted);
    return trashRefusal(request, facts);
}

std::optional<FolderTarget> FolderActions::targetOfKey(const QString &key) const
{
    if (!key.startsWith(u'/'))
        return std::nullopt; // a root, or a placeholder
    FolderTarget target;
    target.path = folderBytes(key);
    const qsizetype slash = target.path.lastIndexOf('/');
    target.name = target.path == "/" ? QStringLiteral("/")
                                     : displayPath(pathFromNative(target.path.mid(slash + 1)));
    // The size the chart measured, when it shows this folder as a slice.
    for (int i = 0; i < m_host.chart->count(); ++i) {
        const ChartModel::Subfolder &subfolder = m_host.chart->at(i);
        if (subfolder.path == target.path && subfolder.state == ChartModel::State::Done)
            target.bytes = subfolder.bytes;
    }
    QSet<QByteArray> mountPoints;
    for (const QString &point : m_host.drives->mountPoints())
        mountPoints.insert(folderBytes(point));
    const QByteArray path = target.path;
    const auto facts = callWithin<TrashFolderFacts>(
        FactsBound, [path, mountPoints] { return readTrashFolderFacts(path, mountPoints); });
    TrashFolderFacts known;
    if (facts)
        known = *facts;
    else
        known.answered = false;
    target.identity = known.identity;
    target.trashRefusal = refusalFor(target.path, known);
    return target;
}

std::optional<FolderTarget> FolderActions::targetOfColumn(int column) const
{
    if (column < 1 || column > m_host.pie->columnCount())
        return std::nullopt;
    return targetOfKey(pathFromNative(m_host.chart->at(column - 1).path));
}

void FolderActions::openMenu(const FolderTarget &target, QPoint globalPos)
{
    if (m_menu)
        m_menu->close();
    FolderMenuChoices choices;
    choices.open = [this](const FolderTarget &t) { open(t); };
    choices.openTerminal = [this](const FolderTarget &t) { openTerminal(t); };
    choices.copyPath = [this](const FolderTarget &t) { copyPath(t); };
    choices.moveToTrash = [this](const FolderTarget &t) { moveToTrash(t); };
    choices.refresh = [this] { m_host.refresh(); };
    choices.terminalInstalled = !installedTerminal().isEmpty();
    m_menu = makeFolderMenu(target, choices, m_host.window);
    m_menu->popup(globalPos);
}

void FolderActions::open(const FolderTarget &target)
{
    m_host.launcher->openFolder(
        QUrl::fromLocalFile(QFile::decodeName(target.path)).toString(),
        [bar = QPointer<TrashBar>(m_host.bar), name = target.name](bool opened) {
            if (!opened && bar)
                bar->say(tr("'%1' could not be opened: no file manager answered").arg(name), false);
        });
}

void FolderActions::openTerminal(const FolderTarget &target)
{
    const QString terminal = installedTerminal();
    if (terminal.isEmpty() ||
        !m_host.launcher->startProgramIn(terminal, {}, QFile::decodeName(target.path)))
        m_host.bar->say(tr("No terminal could be started in '%1'").arg(target.name), false);
}

void FolderActions::copyPath(const FolderTarget &target)
{
    auto *data = new QMimeData;
    const QString path = QFile::decodeName(target.path);
    data->setText(path);
    data->setUrls({QUrl::fromLocalFile(path)});
    QGuiApplication::clipboard()->setMimeData(data);
}

// The node or slice that has the keyboard focus: the tree's selected node, or the chart's
// current slice.
std::optional<FolderTarget> FolderActions::focusedTarget() const
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return std::nullopt;
    if (focus == m_host.tree->treeView() || m_host.tree->isAncestorOf(focus))
        return targetOfKey(m_host.tree->selectedFolder());
    if (focus == m_host.pie || m_host.pie->isAncestorOf(focus))
        return targetOfColumn(m_host.pie->currentColumn());
    return std::nullopt;
}

void FolderActions::openTreeMenuAt(QPoint viewportPos, bool byMouse)
{
    // The mouse names the node under it; the keys name the selected node, as Delete does.
    QTreeWidget *view = m_host.tree->treeView();
    QTreeWidgetItem *item =
        byMouse ? view->itemAt(viewportPos) : view->selectedItems().value(0, nullptr);
    if (!item)
        return;
    const TreeNodes &nodes = m_host.tree->FolderNodes();
    const auto target = targetOfKey(nodes.at(nodes.indexOf(item)).key());
    if (!target)
        return;
    const QRect row = view->visualItemRect(item);
    const QPoint at = view->viewport()->mapToGlobal(byMouse ? viewportPos : row.bottomLeft());
    // The control raises MouseUp for the release of the button that asked: a menu opened
    // now would take that release from it.
    if (byMouse && QGuiApplication::mouseButtons().testFlag(Qt::RightButton))
        m_menuAfterRelease = {*target, at};
    else
        openMenu(*target, at);
}

bool FolderActions::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu &&
        (watched == m_treeView || watched == m_treeViewport)) {
        auto *menuEvent = static_cast<QContextMenuEvent *>(event);
        const bool byMouse = menuEvent->reason() == QContextMenuEvent::Mouse;
        if (!m_menu || !m_menu->isVisible())
            openTreeMenuAt(byMouse ? menuEvent->pos() : QPoint(), byMouse);
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == m_treeViewport &&
        m_menuAfterRelease) {
        // After the control has seen the release.
        QTimer::singleShot(0, this, [this] {
            if (const auto pending = std::exchange(m_menuAfterRelease, std::nullopt))
                openMenu(pending->first, pending->second);
        });
        return false;
    }
    if (event->type() != QEvent::KeyPress || watched != m_host.window)
        return false;
    // Keys that reach the window were wanted by no control: the tree raised its KeyDown.
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool menuKey = key->key() == Qt::Key_Menu ||
                         (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    if (key->key() == Qt::Key_F5 && key->modifiers() == Qt::NoModifier) {
        m_host.refresh();
        return true;
    }
    QWidget *focus = QApplication::focusWidget();
    if (menuKey && focus && (focus == m_treeView || m_host.tree->isAncestorOf(focus))) {
        if (!m_menu || !m_menu->isVisible())
            openTreeMenuAt(QPoint(), false);
        return true;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier) {
        if (const auto target = focusedTarget())
            moveToTrash(*target);
        return true;
    }
    return false;
}
