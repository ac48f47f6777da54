#include "posix/changevisiblefilesystem.h"
#include "support/temptree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

TEST(ChangeVisibleFileSystem, LocalDisksAreTrustedAndOtherFileSystemsAreNot)
{
    TempTree tree;
    const int local = open(tree.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int proc = open("/proc/self", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    EXPECT_TRUE(changesVisibleToInotify(local));
    EXPECT_FALSE(changesVisibleToInotify(proc));
    EXPECT_FALSE(changesVisibleToInotify(-1)); // no folder at all
    close(local);
    close(proc);
}

} // namespace
