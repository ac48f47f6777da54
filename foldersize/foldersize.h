#pragma once

#include "foldersize/sizeamount.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class ScanSystem;
class SizeMemory;

// What the scanner's yield callback answers.
enum class ScanControl { Continue, Stop };

// Called on the calling thread as a scan starts and about every 5 ms while it runs (the walk
// itself runs on the scan pool's worker threads). Answering Stop abandons the scan: FolderSize
// returns at once, and the workers leave it at their next step, or when a call stuck in the
// kernel returns; its result is then of no use to the caller. The callback must not start
// another scan and wait for it: that one would run beside this one, which keeps its
// descriptors meanwhile. A callback that throws is treated as answering Continue.
using FolderSizeYield = std::function<ScanControl()>;

// Total length in bytes of every file below path, at every depth: the blocking form of
// SizeScan, for tests, benchmarks and callers that may wait. Never fails: whatever cannot be
// read counts 0 and an addition that would overflow is skipped. Symbolic links are never
// followed and kernel pseudo filesystems (proc, sysfs, ...) are never entered.
// path is in the system's narrow encoding, with or without a trailing "/".
//
// Only regular files have a length here: links, devices, pipes and sockets add 0, and so
// does a folder's own entry. A hard-linked file counts once per name. A path the system
// cannot open (missing, not a folder, denied, longer than its limit, holding a NUL) gives 0;
// below it there is no depth or length limit, as subfolders are opened relative to their
// parent, and the descriptors a scan holds stay few however deep or wide the tree.
SizeAmount FolderSize(const std::string &path, const FolderSizeYield &yield = {});

// FolderSize asking system for what it reads, with memory (null: the one the process shares)
// for what it remembers; for tests and benchmarks.
SizeAmount FolderSizeUsing(const std::string &path, const FolderSizeYield &yield,
                           std::shared_ptr<ScanSystem> system,
                           std::shared_ptr<SizeMemory> memory = nullptr);

// Appends the platform's directory separator "/" when path does not end with one;
// the empty path becomes "/".
std::string AddBackslash(std::string path);

// The characters before the first NUL, or text unchanged when it holds none.
std::string TrimAtNul(std::string_view text);
