#include "scanfile/scanfileread.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// What ncdu 1.18 wrote for a small tree: a symbolic link, a named pipe, one file with two
// names, and a name that is not UTF-8 (ncdu writes its bytes as they are).
const std::string NcduScan =
    "[1,2,{\"progname\":\"ncdu\",\"progver\":\"1.18\",\"timestamp\":1796850830},\n"
    "[{\"name\":\"/tmp/sf/t\",\"asize\":4096,\"dsize\":4096,\"dev\":65024},\n"
    "[{\"name\":\"c\",\"asize\":4096,\"dsize\":4096},\n"
    "{\"name\":\"fifo\",\"notreg\":true},\n"
    "{\"name\":\"sym\",\"asize\":1,\"notreg\":true},\n"
    "{\"name\":\"hard\",\"asize\":6,\"dsize\":4096,\"ino\":10953296,"
    "\"hlnkc\":true,\"nlink\":2},\n"
    "{\"name\":\"bad\xff\\\"name\\\\\",\"asize\":1,\"dsize\":4096}],\n"
    "[{\"name\":\"a\",\"asize\":4096,\"dsize\":4096},\n"
    "[{\"name\":\"b\",\"asize\":4096,\"dsize\":4096},\n"
    "{\"name\":\"f2\",\"asize\":10000,\"dsize\":12288}],\n"
    "{\"name\":\"f1\",\"asize\":6,\"dsize\":4096,\"ino\":10953296,"
    "\"hlnkc\":true,\"nlink\":2}]]]\n";

// gdu 5.22 on the same tree: folders carry no sizes of their own, and unknown fields (mtime)
// stand beside the known ones.
const std::string GduScan =
    "[1,2,{\"progname\":\"gdu\",\"progver\":\"5.22.0-1+b1\",\"timestamp\":1796850830},\n"
    "[{\"name\":\"/tmp/sf/t\",\"mtime\":1796850830},\n"
    "[{\"name\":\"a\",\"mtime\":1796850830},\n"
    "{\"name\":\"f1\",\"asize\":6,\"dsize\":4096,\"mtime\":1796850830},\n"
    "[{\"name\":\"b\",\"mtime\":1796850830},\n"
    "{\"name\":\"f2\",\"asize\":10000,\"dsize\":12288,\"mtime\":1796850830}]],\n"
    "[{\"name\":\"c\",\"mtime\":1796850830},\n"
    "{\"name\":\"bad\\ufffd\\\"name\\\\\",\"asize\":1,\"dsize\":4096,\"mtime\":1796850830},\n"
    "{\"name\":\"fifo\",\"mtime\":1796850830},\n"
    "{\"name\":\"hard\",\"asize\":6,\"dsize\":4096,\"mtime\":1796850830,\"ino\":10953296,"
    "\"hlnkc\":true},\n"
    "{\"name\":\"sym\",\"asize\":1,\"mtime\":1796850830,\"notreg\":true}]]]";

std::int64_t at(const ScanTree &tree, const char *path)
{
    const std::int64_t node = tree.find(path);
    EXPECT_GE(node, 0) << path;
    return node;
}

} // namespace

TEST(ScanFileRead, NcduFileGivesTreeTotalsAndOrigin)
{
    const ScanTree tree = readScanText(NcduScan);
    EXPECT_EQ(tree.size(), 10u);
    EXPECT_EQ(tree.name(ScanTree::Root), "/tmp/sf/t");
    EXPECT_EQ(tree.origin().program, "ncdu");
    EXPECT_EQ(tree.origin().version, "1.18");
    EXPECT_EQ(tree.origin().timestamp, 1796850830);
    // File lengths of regular files only, every name; space on disk with the folders' own,
    // the file with two names once below the folder holding both.
    EXPECT_EQ(tree.apparent(ScanTree::Root), 6 + 10000 + 6 + 1);
    EXPECT_EQ(tree.disk(ScanTree::Root), 36864);
    EXPECT_EQ(tree.disk(at(tree, "c")), 3 * 4096);
    EXPECT_EQ(tree.disk(at(tree, "a")), 4096 + 4096 + 12288 + 4096);
    EXPECT_EQ(tree.apparent(at(tree, "a/b")), 10000);
    const auto folders = tree.subfolders(ScanTree::Root);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(tree.name(folders[0]), "c");
    EXPECT_EQ(tree.pathInside(at(tree, "a/b")), "a/b");
    EXPECT_EQ(tree.parent(at(tree, "a/b")), ScanTree::Index(at(tree, "a")));
    EXPECT_GE(tree.find("c/bad\xff\"name\\"), 0); // the bytes as they were
    EXPECT_TRUE(tree.subfolders(at(tree, "a/b")).empty());
    EXPECT_EQ(tree.filesDirectlyIn(at(tree, "c"), false), 6 + 1);
    EXPECT_EQ(tree.filesDirectlyIn(at(tree, "c"), true), 2 * 4096);
    EXPECT_EQ(tree.find("a/nothing"), -1);
    EXPECT_EQ(tree.find("a/f1/x"), -1);
}

TEST(ScanFileRead, GduFileGivesTheSameFileTotals)
{
    const ScanTree tree = readScanText(GduScan);
    EXPECT_EQ(tree.origin().program, "gdu");
    EXPECT_EQ(tree.apparent(ScanTree::Root), 6 + 10000 + 6 + 1);
    EXPECT_EQ(tree.disk(ScanTree::Root), 4096 + 12288 + 4096 + 4096); // no folders' own
    EXPECT_GE(tree.find("c/bad\xef\xbf\xbd\"name\\"), 0);
    EXPECT_EQ(tree.apparent(at(tree, "a")), 10006);
}

TEST(ScanFileRead, NameBytesEscapedAsLoneSurrogatesAreBytesAgain)
{
    const ScanTree tree =
        readScanText("[1,2,{},[{\"name\":\"/r\"},{\"name\":\"caf\\udce9\\udc80\"},"
                     "{\"name\":\"\\u00e9\\udc41\"}]]");
    EXPECT_GE(tree.find("caf\xe9\x80"), 0);
    EXPECT_GE(tree.find("\xc3\xa9\xed\xb1\x81"), 0); // no byte: left as it came
}

TEST(ScanFileRead, HardLinksCountOncePerFolderEvenWhenSizesDisagree)
{
    const ScanTree tree = readScanText(
        "[1,2,{},[{\"name\":\"/r\"},[{\"name\":\"x\"},"
        "{\"name\":\"l1\",\"dsize\":100,\"ino\":5,\"hlnkc\":true},"
        "{\"name\":\"l2\",\"dsize\":40,\"ino\":5,\"hlnkc\":true}],"
        "[{\"name\":\"y\"},{\"name\":\"l3\",\"dsize\":40,\"ino\":5,\"nlink\":3}],"
        "[{\"name\":\"z\",\"dev\":9},{\"name\":\"l4\",\"dsize\":7,\"ino\":5,\"nlink\":2}]]]");
    EXPECT_EQ(tree.disk(at(tree, "x")), 40);
    EXPECT_EQ(tree.disk(at(tree, "y")), 40);
    EXPECT_EQ(tree.disk(at(tree, "z")), 7); // another device: another file
    EXPECT_EQ(tree.disk(ScanTree::Root), 40 + 7);
}

TEST(ScanFileRead, BadInputNamesTheByteWhereReadingStopped)
{
    const std::string head = "[1,2,{},[{\"name\":\"/r\"},";
    const std::string deep = "[1,0,{},[{\"name\":\"/r\"}" + [] {
        std::string nest;
        for (int i = 0; i < 100000; ++i)
            nest += ",[{\"name\":\"d\"}";
        return nest;
    }();
    const struct {
        std::string text;
        const char *reason;
        std::size_t offset;
    } cases[] = {
        {"", "an end before the scan is complete", 0},
        {head + "{\"name\":\"f\",\"asize\":1", "an end before the scan is complete", 44},
        {"<html>", "not JSON", 0},
        {"[2,0,{},[{\"name\":\"/r\"}]]", "major version 2, where only 1 is read", 2},
        {head + "{\"name\":\"f\",\"asize\":-1}]]", "a negative number", 45},
        {head + "{\"name\":\"f\",\"dsize\":1e30}]]", "a number too large", 47},
        {head + "{\"name\":\"f\",\"asize\":99999999999999999999}]]", "a number too large", 63},
        {head + "{\"name\":\"f\",\"asize\":9223372036854775808}]]", "a size too large", 62},
        {head + "{\"name\":\"f\",\"asize\":9223372036854775807},{\"name\":\"g\",\"asize\":1}]]",
         "sizes whose sum overflows", 85},
        {head + "{\"name\":\"a/b\"}]]", "a name holding '/'", 36},
        {head + "{\"name\":\"a\\u0000b\"}]]", "a name holding a NUL byte", 41},
        {head + "{\"name\":\"..\"}]]", "the name \"..\"", 35},
        {head + "{\"asize\":1}]]", "an entry without a \"name\"", 33},
        {head + "{\"name\":\"f\",\"asize\":\"1\"}]]", "a field of the wrong kind", 46},
        {head + "7]]", "a value that is not an entry", 24},
        {"[1,2,{},[]]", "a folder without its own entry", 9},
        {"[1,2,{},[{\"name\":\"/r\"}]] x", "text after the end of the scan", 25},
        {deep, "folders nested deeper than 10000 levels", 21 + 10000 * 14},
    };
    for (const auto &bad : cases) {
        try {
            (void)readScanText(bad.text);
            ADD_FAILURE() << "read: " << bad.text.substr(0, 80);
        } catch (const ScanFileError &error) {
            EXPECT_NE(std::string(error.what()).find(bad.reason), std::string::npos)
                << error.what();
            EXPECT_EQ(error.offset(), bad.offset) << error.what();
            EXPECT_NE(std::string(error.what()).find("at byte " + std::to_string(error.offset())),
                      std::string::npos);
        }
    }
}

TEST(ScanFileRead, LaterAdditionsToTheFormatArePassedOver)
{
    const ScanTree tree = readScanText(
        "[1,3,{\"progname\":\"x\",\"extra\":{\"a\":[1,{}]}},"
        "[{\"name\":\"/r\",\"new\":{\"deep\":[[{}]]},\"read_error\":true},"
        "{\"name\":\"f\",\"asize\":3,\"uid\":0,\"mode\":33188,\"excluded\":false,\"x\":null}],"
        "{\"more\":1},[2]]");
    EXPECT_EQ(tree.apparent(ScanTree::Root), 3);
    EXPECT_TRUE(tree.readError(ScanTree::Root));
    EXPECT_EQ(tree.readErrorsAtOrBelow(ScanTree::Root), 1u);
    EXPECT_EQ(tree.origin().timestamp, -1);
}
