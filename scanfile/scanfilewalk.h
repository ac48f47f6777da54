#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

// A subfolder met in a listing, with what lstat said of it there.
struct ScanSubfolder {
    std::string name;
    struct stat st;
};

// Lists the folder open as fd into `out`: its own entry ("{...}", without the '[' before it)
// and one ",{...}" per file, links, devices and pipes included; its subfolders go to `subs`
// for the caller to walk. A listing cut short by a read error marks the folder read_error.
void listScanFolder(int fd, std::string_view name, const struct stat &st, bool newDevice,
                    std::string &out, std::vector<ScanSubfolder> &subs);

// Opens `sub` of the open folder parentFd as the scanner does (never through a link, never
// into a kernel pseudo filesystem) and checks it is the folder listed. Returns the descriptor,
// or -1 after writing `sub` to `out` as ncdu writes what it could not enter.
int openScanSubfolder(int parentFd, const ScanSubfolder &sub, dev_t parentDev, std::string &out);

// Writes ",[" + `sub` and everything below it + "]" into `out`, depth first without recursion;
// the descriptors held stay few however deep the tree. `flush` is called between folders
// (may be empty); a set `stopped` ends the walk early, leaving `out` incomplete.
void writeScanSubtree(int parentFd, const ScanSubfolder &sub, dev_t parentDev, std::string &out,
                      const std::function<void(std::string &)> &flush,
                      const std::atomic<bool> &stopped);
