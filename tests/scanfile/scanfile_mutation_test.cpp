#include "scanfile/scanfileread.h"

#include <gtest/gtest.h>
#include <random>
#include <string>

namespace {

// A valid file with every kind of entry and field the reader knows.
std::string seedScan()
{
    std::string text = "[1,2,{\"progname\":\"ncdu\",\"progver\":\"2.4\",\"timestamp\":1700000000},"
                       "[{\"name\":\"/srv\",\"asize\":4096,\"dsize\":4096,\"dev\":2049},";
    for (int i = 0; i < 6; ++i) {
        const std::string n = std::to_string(i);
        text += "[{\"name\":\"d" + n +
                "\",\"asize\":4096,\"dsize\":4096,\"read_error\":false},"
                "{\"name\":\"f\\u00e9" +
                n + "\",\"asize\":" + std::to_string(i * 100 + 1) +
                ",\"dsize\":4096,\"ino\":7,"
                "\"nlink\":2,\"hlnkc\":true},{\"name\":\"s" +
                n +
                "\",\"asize\":3,\"notreg\":true},"
                "[{\"name\":\"e\",\"dev\":12},{\"name\":\"x\",\"excluded\":\"pattern\"}]],";
    }
    text += "{\"name\":\"last\",\"asize\":12345678901,\"dsize\":12345680000,\"mtime\":5}]]";
    return text;
}

// One random slip: a byte changed, dropped, doubled or put in, a cut, or a span repeated.
void mutate(std::string &text, std::mt19937 &random)
{
    static const std::string Tokens("[]{},:\"\\-019e.tfnu/\0\xff ", 22);
    auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n)(random);
    };
    const std::size_t where = pick(text.size() - 1);
    switch (pick(5)) {
    case 0:
        text[where] = Tokens[pick(Tokens.size() - 1)];
        break;
    case 1:
        text.erase(where, 1 + pick(3));
        break;
    case 2:
        text.insert(where, 1, Tokens[pick(Tokens.size() - 1)]);
        break;
    case 3:
        text.resize(where);
        break;
    case 4: {
        const std::size_t length = pick(std::min<std::size_t>(40, text.size() - where));
        text.insert(pick(text.size()), text.substr(where, length));
        break;
    }
    default:
        text[where] = char(pick(255));
    }
}

} // namespace

// Thousands of damaged files, the same ones every run: each is read or refused with the byte
// where reading stopped, never a crash, a hang or another kind of failure.
TEST(ScanFileMutation, EveryDamagedFileIsReadOrRefusedWithAnOffset)
{
    const std::string seed = seedScan();
    ASSERT_NO_THROW((void)readScanText(seed));
    std::mt19937 random(20261209);
    int read = 0;
    int refused = 0;
    for (int i = 0; i < 4000; ++i) {
        std::string text = seed;
        for (int slips = 1 + int(random() % 3); slips > 0 && !text.empty(); --slips)
            mutate(text, random);
        try {
            const ScanTree tree = readScanText(text);
            ASSERT_GT(tree.size(), 0u);
            ASSERT_GE(tree.disk(ScanTree::Root), 0);
            ASSERT_GE(tree.apparent(ScanTree::Root), 0);
            ++read;
        } catch (const ScanFileError &error) {
            ASSERT_LE(error.offset(), text.size()) << error.what();
            ASSERT_NE(std::string(error.what()).find("at byte "), std::string::npos);
            ++refused;
        }
    }
    EXPECT_GT(read, 100);
    EXPECT_GT(refused, 1000);
}
