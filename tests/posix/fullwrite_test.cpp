#include "posix/fullwrite.h"

#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

TEST(WriteAll, WaitsForRoomOnANonBlockingPipeUntilEveryByteWent)
{
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
    const std::string bytes(1 << 20, 'q'); // far more than a pipe holds at once
    std::string got;
    std::thread reader([&] {
        fcntl(ends[0], F_SETFL, 0);
        char chunk[65536];
        for (ssize_t n; (n = read(ends[0], chunk, sizeof chunk)) > 0;)
            got.append(chunk, std::size_t(n));
    });
    EXPECT_EQ(writeAll(ends[1], bytes.data(), bytes.size()), 0);
    close(ends[1]);
    reader.join();
    close(ends[0]);
    EXPECT_EQ(got, bytes);
}

TEST(WriteAll, GivesTheErrnoThatStoppedIt)
{
    const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0);
    EXPECT_EQ(writeAll(full, "x", 1), ENOSPC);
    close(full);
    EXPECT_EQ(writeAll(-1, "x", 1), EBADF);
    EXPECT_EQ(writeAll(-1, "", 0), 0); // nothing to write is no failure
}

} // namespace
