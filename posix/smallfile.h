#pragma once

#include <string>

// The whole text of a small file such as those under /proc, or an empty text when it cannot be
// opened; a read that fails part way keeps what came before.
std::string readSmallFile(const char *path);
