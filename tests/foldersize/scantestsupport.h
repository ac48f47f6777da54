#pragma once

#include <functional>
#include <string>

// Open descriptors of this process, to show that a scan gives back every one it took.
int openDescriptorCount();

// Runs work in a forked child and returns the text it produced; the child never returns into
// the test program. Used where a test needs powers or limits the test program must not keep:
// another user, a private mount table.
std::string runInChild(const std::function<std::string()> &work);
