#pragma once

#include <functional>
#include <string>
#include <string_view>

// Walks `folder` to the bottom and writes every folder and file in it as a scan file in
// ncdu's JSON export format (major version 1), which ncdu and gdu open. `sink` takes the text
// in order, chunk by chunk, and throws to stop the walk. Subtrees are walked on `threads`
// threads at once (0: as many as the scanner's pool); each waits in memory until the ones
// before it are written. Throws std::runtime_error when the folder cannot be opened.
void writeScanFile(const std::string &folder, const std::string &version,
                   const std::function<void(std::string_view)> &sink, unsigned threads = 0);
