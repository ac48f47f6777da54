#pragma once

#include "foldersize/scannode.h"
#include "foldersize/scansystem.h"

#include <atomic>
#include <cstddef>

enum class ReadEnd { Finished, Failed, Stopped, GivenUp };

// Reads the folder open as fd to its end, adding its files to claim.ownFiles and its
// subfolder names to claim.subfolderNames. A read error ends the read (what was read counts);
// so do a stop and a call given up, after which nothing of the read counts. Only regular files
// have a length here: links, devices, pipes and sockets add 0, and so does a folder's own
// entry. The loop costs no virtual call per entry.
ReadEnd readFolder(ScanSystem &system, Claim &claim, int fd, char *buffer, std::size_t size,
                   const std::atomic<bool> &stopped);
