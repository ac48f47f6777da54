#pragma once

#include <QString>
#include <functional>

// Runs work in a forked child and returns the text it produced, or "child failed"; the
// child never returns into the test program. For a test that must run as another user.
QString runInChild(const std::function<QString()> &work);
