#pragma once

#include <string>
#include <string_view>
#include <sys/stat.h>

// The JSON text of one entry as ncdu writes it: name, apparent size, disk usage, the device
// where it differs from the folder above, and inode and link count for a file with several
// names. Names keep their bytes; only what JSON requires is escaped.
namespace ScanEntryText {

enum class Kind { File, Folder, Unreadable, PseudoFilesystem };

// Appends `{"name":...}` (without the '[' that opens a folder).
void append(std::string &out, std::string_view name, const struct stat &st, bool newDevice,
            Kind kind);
void appendName(std::string &out, std::string_view name);

} // namespace ScanEntryText
