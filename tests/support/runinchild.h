#pragma once

#include <functional>
#include <string>

// How a child started by runInChild ends once its work is done.
enum class ChildEnd {
    Quick, // _exit: nothing of the program's own clean-up runs
    Exit,  // exit(): atexit handlers and static destructors run, as when main returns
};

// Runs work in a forked child and returns the text it produced; "child failed" when the child
// did not end normally, "child hung" when it did not end within a minute (it is then
// killed), or a "skip: ..." text when no child could be started. The child never returns
// into the test program. For a test that must run as another user, under other limits, or
// that must see the process end.
std::string runInChild(const std::function<std::string()> &work, ChildEnd end = ChildEnd::Quick);
