#pragma once

#include <QString>
#include <optional>

// Whether a folder has at least one real subfolder (symbolic links do not count). Stops at the
// first one found, so a folder of many entries costs no more than reading up to it.
// nullopt when the folder cannot be opened.
std::optional<bool> hasSubfolder(const QString &path);
