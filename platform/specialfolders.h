#pragma once

#include <QString>

// The shell's special folders by number (see SpecialFolderId in shellhelpers.h). Fakes in tests.
class SpecialFolders {
public:
    virtual ~SpecialFolders() = default;
    // The folder's path without a trailing separator, or empty text when this platform has no
    // such folder (favorites and the network folder on Linux).
    virtual QString path(int folderId) const = 0;
};

// The user's XDG folders, through GetSpecialFolderPath.
class ShellSpecialFolders final : public SpecialFolders {
public:
    QString path(int folderId) const override;
};
