#pragma once

#include "foldersize/sizeamount.h"

#include <memory>
#include <string>
#include <string_view>

class ScanSystem;
class SizeMemory;

// Total length in bytes of every file below path, at every depth: a blocking call on one
// SizeScan, for tests, benchmarks and callers that may wait; nothing is remembered. Never
// fails: whatever cannot be read counts 0 and an addition that would overflow is skipped. Symbolic
// links are never followed and kernel pseudo filesystems (proc, sysfs, ...) are never entered. path
// is in the system's narrow encoding, with or without a trailing "/".
//
// Only regular files have a length here: links, devices, pipes and sockets add 0, and so
// does a folder's own entry. A hard-linked file counts once per name. A path the system
// cannot open (missing, not a folder, denied, longer than its limit, holding a NUL) gives 0;
// below it there is no depth or length limit, as subfolders are opened relative to their
// parent, and the descriptors a scan holds stay few however deep or wide the tree.
SizeAmount FolderSize(const std::string &path);

// FolderSize asking system (null: the real one) for what it reads, with memory (null: none)
// for what it remembers; for tests and benchmarks.
SizeAmount FolderSizeUsing(const std::string &path, std::shared_ptr<ScanSystem> system,
                           std::shared_ptr<SizeMemory> memory = nullptr);

// The characters before the first NUL, or text unchanged when it holds none.
std::string TrimAtNul(std::string_view text);
