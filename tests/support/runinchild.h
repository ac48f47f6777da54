#pragma once

#include <functional>
#include <string>

// Runs work in a forked child and returns the text it produced; "child failed" when the child
// did not end normally, or a "skip: ..." text when no child could be started. The child never
// returns into the test program. For a test that must run as another user.
std::string runInChild(const std::function<std::string()> &work);
