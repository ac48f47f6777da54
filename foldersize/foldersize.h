#pragma once

#include "foldersize/sizeamount.h"

#include <functional>
#include <string>
#include <string_view>

// What the scanner's yield callback answers.
enum class ScanControl { Continue, Stop };

// Called on the calling thread as a scan starts and at least every 10 ms while it runs (the walk
// itself runs on the scan pool's worker threads). Answering Stop makes the workers drop the scan
// and close every descriptor of it, and the scan returns at once; its result is then of no use to
// the caller. The callback may start another scan of its own (it usually pumps the event loop): the
// outer scan then waits, holding no descriptor, until the inner one returns, and the two do not
// disturb each other. A callback that throws is treated as answering Continue.
using FolderSizeYield = std::function<ScanControl()>;

// Total length in bytes of every file below path, at every depth. Never fails: whatever
// cannot be read counts 0 and an addition that would overflow is skipped. Symbolic links are
// never followed and kernel pseudo filesystems (proc, sysfs, ...) are never entered.
// path is in the system's narrow encoding, with or without a trailing "/".
//
// Only regular files have a length here: links, devices, pipes and sockets add 0, and so
// does a folder's own entry. A hard-linked file counts once per name. A path the system
// cannot open (missing, not a folder, denied, longer than its limit, holding a NUL) gives 0;
// below it there is no depth or length limit, as subfolders are opened relative to their
// parent, and the descriptors a scan holds stay few however deep or wide the tree.
SizeAmount FolderSize(const std::string &path, const FolderSizeYield &yield = {});

// Appends the platform's directory separator "/" when path does not end with one;
// the empty path becomes "/".
std::string AddBackslash(std::string path);

// The characters before the first NUL, or text unchanged when it holds none.
std::string TrimAtNul(std::string_view text);
