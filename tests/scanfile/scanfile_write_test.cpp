#include "foldersize/foldersize.h"
#include "scanfile/scanfileread.h"
#include "scanfile/scanfilewrite.h"
#include "support/temptree.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// A tree with what a scan must carry: files at several depths, an empty file, a link, a file
// with two names in two folders, a name that is not UTF-8 and one that JSON must escape, and
// a chain of folders deeper than the descriptors one walk keeps.
void fillTree(const TempTree &tree)
{
    tree.makeFile("music/a.mp3", 123457);
    tree.makeFile("music/albums/b.flac", 70001);
    tree.makeFile("docs/empty", 0);
    tree.makeFile("docs/\"quoted\"\\\n\x01", 5);
    tree.makeFile("docs/caf\xe9", 900);
    tree.makeSymlink("docs/link", "../music");
    tree.makeFile("docs/one", 5000);
    EXPECT_EQ(link(tree.path("docs/one").c_str(), tree.path("music/two").c_str()), 0);
    std::string deep = "deep";
    for (int level = 0; level < 40; ++level)
        deep += "/d" + std::to_string(level);
    tree.makeFile(deep + "/bottom", 77);
    tree.makeFile("top", 3);
}

std::string output(const std::string &command)
{
    std::string text;
    if (FILE *pipe = popen(command.c_str(), "r")) {
        char chunk[4096];
        for (std::size_t got; (got = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
            text.append(chunk, got);
        if (pclose(pipe) != 0)
            text = "failed: " + command;
    }
    return text;
}

// What du counts as the folder's space on disk, in bytes.
std::int64_t duBytes(const std::string &folder)
{
    return std::stoll(output("du -s --block-size=1 '" + folder + "'"));
}

std::string scanOf(const std::string &folder, unsigned threads)
{
    std::string text;
    writeScanFile(
        folder, "1.0", [&](std::string_view chunk) { text += chunk; }, threads);
    return text;
}

bool have(const char *program)
{
    return output(std::string("command -v ") + program + " >/dev/null && echo yes") == "yes\n";
}

void expectLiveTotals(const ScanTree &scan, const TempTree &tree)
{
    EXPECT_EQ(scan.apparent(ScanTree::Root), FolderSize(tree.root()).bytes());
    EXPECT_EQ(scan.apparent(scan.find("music")), FolderSize(tree.path("music")).bytes());
}

} // namespace

TEST(ScanFileWrite, WrittenTreeReadsBackWithTheLiveTotals)
{
    TempTree tree;
    fillTree(tree);
    for (const unsigned threads : {1u, 3u}) {
        const ScanTree scan = readScanText(scanOf(tree.root(), threads));
        EXPECT_EQ(scan.name(ScanTree::Root), tree.root());
        EXPECT_EQ(scan.origin().program, "quorvane");
        expectLiveTotals(scan, tree);
        EXPECT_EQ(scan.disk(ScanTree::Root), duBytes(tree.root()));
        EXPECT_EQ(scan.disk(scan.find("docs")), duBytes(tree.path("docs")));
        EXPECT_GE(scan.find("docs/\"quoted\"\\\n\x01"), 0);
        EXPECT_GE(scan.find("docs/caf\xe9"), 0);
        EXPECT_EQ(scan.apparent(scan.find("deep/d0/d1/d2/d3/d4/d5/d6/d7/d8/d9/d10/d11/d12/d13/d14/"
                                          "d15/d16/d17/d18/d19/d20/d21/d22/d23/d24/d25/d26/d27/"
                                          "d28/d29/d30/d31/d32/d33/d34/d35/d36/d37/d38/d39")),
                  77);
    }
    EXPECT_THROW(scanOf(tree.path("missing"), 1), std::runtime_error);
}

TEST(ScanFileWrite, PackagedPeersOpenWhatIsWritten)
{
    TempTree tree;
    fillTree(tree);
    TempTree out;
    const std::string file = out.path("scan.json");
    std::ofstream(file) << scanOf(tree.root(), 2);
    if (!have("ncdu") || !have("gdu"))
        GTEST_SKIP() << "ncdu or gdu is not installed (scripts/install-deps.sh installs both)";
    // ncdu reads the file and writes it out again: the same entries, the same sizes.
    const ScanTree again = readScanText(output("ncdu -0 -f '" + file + "' -o - 2>&1"));
    EXPECT_EQ(again.size(), readScanText(scanOf(tree.root(), 1)).size());
    expectLiveTotals(again, tree);
    const std::string gdu = output("gdu -n -f '" + file + "' 2>&1");
    EXPECT_NE(gdu.find("music"), std::string::npos) << gdu;
    EXPECT_NE(gdu.find("deep"), std::string::npos) << gdu;
}

TEST(ScanFileWrite, FilesOfThePackagedPeersReadWithTheLiveTotals)
{
    if (!have("ncdu") || !have("gdu"))
        GTEST_SKIP() << "ncdu or gdu is not installed (scripts/install-deps.sh installs both)";
    TempTree tree;
    fillTree(tree);
    const ScanTree ncdu = readScanText(output("ncdu -0 -o - '" + tree.root() + "' 2>/dev/null"));
    expectLiveTotals(ncdu, tree);
    EXPECT_EQ(ncdu.disk(ScanTree::Root), duBytes(tree.root()));
    EXPECT_EQ(ncdu.disk(ncdu.find("music")), duBytes(tree.path("music")));
    EXPECT_EQ(ncdu.origin().program, "ncdu");
    // gdu writes no folder's own size, so only file lengths can agree with the live chart.
    const ScanTree gdu = readScanText(output("gdu -n -o - '" + tree.root() + "' 2>/dev/null"));
    expectLiveTotals(gdu, tree);
    EXPECT_EQ(gdu.origin().program, "gdu");
}
