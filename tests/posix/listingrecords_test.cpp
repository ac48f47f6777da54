#include "posix/listingrecords.h"
#include "support/temptree.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <unistd.h>

namespace {

TEST(ListingRecords, WalksEachRecordOfAnAnswerWithItsNameAndType)
{
    TempTree tree;
    tree.makeFile("file", 1);
    tree.makeFile("folder/inner", 1);
    const int fd = open(tree.root().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    alignas(dirent64) char buffer[4096];
    std::map<std::string, unsigned char> seen;
    for (ssize_t got; (got = getdents64(fd, buffer, sizeof buffer)) > 0;)
        for (const ListingRecord record : ListingRecords(buffer, got))
            seen[record.name()] = record.type();
    close(fd);
    // A file system may leave the type unknown; this test's folder is on one that says it.
    EXPECT_EQ(seen, (std::map<std::string, unsigned char>{
                        {".", DT_DIR}, {"..", DT_DIR}, {"file", DT_REG}, {"folder", DT_DIR}}));
    // A failed read (-1) walks nothing.
    int records = 0;
    for ([[maybe_unused]] const ListingRecord record : ListingRecords(buffer, -1))
        ++records;
    EXPECT_EQ(records, 0);
}

} // namespace
