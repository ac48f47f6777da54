#include "platform/nativepath.h"
#include "platform/runtimeerror.h"
#include "platform/shellhelpers.h"
#include "platform/shelllibrary.h"
#include "treefolder/drivefollower.h"
#include "treefolder/nodekeys.h"
#include "treefolder/pathtext.h"
#include "treefolder/treefolder.h"
#include "treefolder/treefolderprivate.h"

namespace {

constexpr int IconSize = 16;

QString driveLabel(const Drive &drive)
{
    switch (drive.type) {
    case DriveType::Removable: // never asked for its name, so a slow medium costs nothing
        return ShellLibrary::string(ShellLibrary::StringId::RemovableDisk);
    case DriveType::Fixed:
        return drive.volumeName.isEmpty() ? ShellLibrary::string(ShellLibrary::StringId::LocalDisk)
                                          : drive.volumeName;
    case DriveType::Network:
        return drive.shareName;
    case DriveType::CdRom:
        return drive.ready ? drive.volumeName : QString();
    default:
        return {};
    }
}

} // namespace

void TreeFolder::LoadTreeView(const QString &startPath)
{
    // The start path needs no listing of its own: its drive loads its children when opened.
    Q_UNUSED(startPath);
    if (d->m_nodes.count() > 0)
        return;
    try {
        d->buildRootLevel();
    } catch (const RuntimeError &error) {
        throw error.withSource(d->displayName() + QStringLiteral("_LoadTreeView"));
    }
}

int TreeFolder::GetIconIndex(const QString &key, int size, bool fromLibrary, int iconNumber,
                             bool useShellLibrary)
{
    return d->m_pictures.indexOf(key, size, fromLibrary, iconNumber, useShellLibrary);
}

void TreeFolderPrivate::buildRootLevel()
{
    using namespace ShellLibrary;
    m_drives->forgetListing(); // a listing under way is older than what is read here
    m_follower->forgetAll();   // the nodes followed are gone
    TreeNode workSpace = m_nodes.add({}, WorkSpaceKey, string(StringId::Desktop), 0);
    workSpace.setImage(q.GetIconIndex(WorkSpaceKey, IconSize, true, IconId::Desktop, true));

    TreeNode myComputer =
        m_nodes.add(workSpace.key(), MyComputerKey, string(StringId::Computer), 0);
    myComputer.setImage(q.GetIconIndex(MyComputerKey, IconSize, true, IconId::Computer, true));

    for (const Drive &drive : m_FSO.drives())
        addDriveNode(drive);

    workSpace.setExpanded(true);
    myComputer.setExpanded(true);

    if (!m_HideFavorites)
        addSpecialFolder(SpecialFolderId::Favorites, MyComputerKey, 0);
    if (!m_HideMyDocuments)
        addSpecialFolder(SpecialFolderId::MyDocuments, MyComputerKey, IconId::Documents);
    if (!m_HideNetwork)
        addSpecialFolder(SpecialFolderId::Network, WorkSpaceKey, IconId::Network);
    if (!m_HideControlPanel) {
        m_nodes
            .add(WorkSpaceKey, ControlPanelKey, string(StringId::ControlPanel),
                 q.GetIconIndex(ControlPanelKey, IconSize, true, IconId::ControlPanel, true))
            .setTag(0);
    }
}

TreeNode TreeFolderPrivate::addDriveNode(const Drive &drive)
{
    const QString key = AddBackslash(drive.path);
    const int image = q.GetIconIndex(key, IconSize, false);
    TreeNode node = m_nodes.add(
        MyComputerKey, key,
        driveLabel(drive) + QStringLiteral(" (") + displayPath(drive.path) + u')', image);
    node.setTag(0);
    m_nodes.add(key, entryPlaceholderKey(key), {}, 0);
    return node;
}

void TreeFolderPrivate::addSpecialFolder(int folderId, const QString &parentKey, int iconNumber)
{
    const QString path = m_FSO.specialFolder(folderId);
    if (path.isEmpty())
        return; // a folder this platform does not have is left out, not a failed build
    const int image = iconNumber > 0 ? q.GetIconIndex(path, IconSize, true, iconNumber, true)
                                     : q.GetIconIndex(path, IconSize, false);
    // Favorites and Documents may both be the home folder: each is shown, with its own node.
    TreeNode node =
        m_nodes.addShown(parentKey, path, displayPath(FileSystemObject::getBaseName(path)), image);
    node.setTag(0);
    m_nodes.addShown(node.id(), entryPlaceholderKey(path), {}, 0);
}
