#pragma once

#include <QString>
#include <string>
#include <sys/types.h>

// A runtime folder (XDG_RUNTIME_DIR) of user's own inside parent, for a program the tests run as
// that user: without one Qt makes one in the temporary folder, which outlives the test. Parent
// must be open to that user. Empty where it cannot be made, which Qt takes as none.
QString userRuntimeFolder(const std::string &parent, uid_t user);
