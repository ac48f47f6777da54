// The calling thread's side of a blocking scan: the yield and Stop.

#include "foldersize/foldersize.h"
#include "scantestsupport.h"
#include "support/temptree.h"

#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <random>
#include <set>
#include <stdexcept>
#include <thread>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Folders enough that a reader pausing before each read keeps every worker busy for a while.
std::int64_t makeManyFolders(const TempTree &tree, int count)
{
    std::int64_t total = 0;
    for (int i = 0; i < count; ++i) {
        tree.makeFile("g" + std::to_string(i % 10) + "/f" + std::to_string(i) + "/data", i + 1);
        total += i + 1;
    }
    return total;
}

TEST(FolderSizeYield, RunsOnTheCallingThreadWhileWorkersWalkAndMayThrow)
{
    TempTree tree;
    const std::int64_t expected = makeManyFolders(tree, 60);
    const std::thread::id caller = std::this_thread::get_id();
    std::mutex lock;
    std::set<std::thread::id> readers;
    const auto reader = std::make_shared<TestDirectoryReader>();
    reader->pause = 2ms;
    reader->beforeRead = [&](int) {
        const std::lock_guard guard(lock);
        readers.insert(std::this_thread::get_id());
    };
    int calls = 0;
    bool elsewhere = false;
    const SizeAmount total = FolderSizeUsing(
        tree.root(),
        [&] {
            ++calls;
            elsewhere |= std::this_thread::get_id() != caller;
            return ScanControl::Continue;
        },
        reader);

    EXPECT_EQ(total.bytes(), expected);
    EXPECT_GT(calls, 0);
    EXPECT_FALSE(elsewhere) << "the yield ran on a worker";
    EXPECT_EQ(readers.count(caller), 0u) << "the calling thread read folders";

    // A yield that throws counts as Continue.
    int throws = 0;
    reader->beforeRead = {};
    const SizeAmount despite = FolderSizeUsing(
        tree.root(),
        [&]() -> ScanControl {
            ++throws;
            throw std::runtime_error("the event loop failed");
        },
        reader);
    EXPECT_EQ(despite.bytes(), expected);
    EXPECT_GT(throws, 0);
}

// Folders of many entries, read a few at a time with a pause before each read: every folder
// takes longer to read than a stopped scan may take to return. The workers then leave at their
// next step and give back every descriptor.
TEST(FolderSizeYield, StopAtAnyPointReturnsAtOnceAndClosesEverything)
{
    TempTree tree;
    for (int folder = 0; folder < 12; ++folder)
        for (int file = 0; file < 60; ++file)
            tree.makeFile("d" + std::to_string(folder) + "/" + std::string(200, 'f') +
                              std::to_string(file),
                          1);
    const int descriptorsBefore = openDescriptorCount();
    std::mt19937 random(11);
    for (int round = 0; round < 5; ++round) {
        const auto reader = std::make_shared<TestDirectoryReader>();
        reader->readLimit = 512; // two entries a read: thirty reads of 50 ms per folder
        reader->pause = 50ms;
        const int stopAt = 30 + int(random() % 30); // once the workers are inside the folders
        int calls = 0;
        Clock::time_point stopped;
        FolderSizeUsing(
            tree.root(),
            [&] {
                if (++calls < stopAt)
                    return ScanControl::Continue;
                stopped = Clock::now();
                return ScanControl::Stop;
            },
            reader);
        const auto took = Clock::now() - stopped;
        // A worker finishes the read under way, then leaves.
        for (const auto until = Clock::now() + 2s;
             openDescriptorCount() != descriptorsBefore && Clock::now() < until;)
            std::this_thread::sleep_for(1ms);
        const int readsWhenClosed = reader->reads;
        std::this_thread::sleep_for(120ms);

        EXPECT_EQ(calls, stopAt);
        // Far from the second a scan that went on reading would still need, and far enough
        // from the 20 ms aimed at that a loaded machine or a sanitizer does not fail it.
        EXPECT_LT(took, 500ms) << "stopped at yield " << stopAt;
        EXPECT_EQ(openDescriptorCount(), descriptorsBefore) << "stopped at yield " << stopAt;
        EXPECT_EQ(reader->reads, readsWhenClosed) << "a worker still read after leaving";
    }
}

} // namespace
