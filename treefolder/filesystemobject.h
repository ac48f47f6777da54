#pragma once

#include "platform/drives.h"

#include <QList>
#include <QSet>
#include <QString>

class SpecialFolders;

// The control's file-system service m_FSO: the drives, the shell's special folders and base
// names, answered by the machine's services or by the fakes a host hands in. The services
// must outlive this object.
class FileSystemObject {
public:
    FileSystemObject(const DriveProvider &drives, const SpecialFolders &specialFolders)
        : m_drives(&drives), m_specialFolders(&specialFolders)
    {}

    QList<Drive> drives() const { return m_drives->drives(); }
    // Whether path's volume answers, so that opening path cannot block (waits a short bound).
    bool answers(const QString &path) const { return m_drives->answers(path); }
    // Asks path's volume again without waiting; nullopt while the question is under way.
    std::optional<bool> askAgain(const QString &path) const { return m_drives->askAgain(path); }
    // Mount points below which another volume begins (drives.h).
    QSet<QString> mountPoints() const { return m_drives->mountPoints(); }
    // Tells the calling thread when the drives may have changed; nullptr when it cannot.
    std::unique_ptr<MountTableWatch> watchMountTable() const { return m_drives->watchMountTable(); }
    // The special folder's path, empty text when the platform has none.
    QString specialFolder(int folderId) const;
    // The path's last component without its extension.
    static QString getBaseName(const QString &path);

private:
    const DriveProvider *m_drives = nullptr;
    const SpecialFolders *m_specialFolders = nullptr;
};
