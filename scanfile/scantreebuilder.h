#pragma once

#include "scanfile/scantree.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One entry as a scan file describes it, before it joins the tree.
struct ScanEntry {
    std::string name;
    bool named = false;
    std::int64_t asize = 0;
    std::int64_t dsize = 0;
    std::uint64_t dev = 0;
    bool hasDev = false;
    std::uint64_t ino = 0;
    bool hasIno = false;
    std::uint64_t nlink = 0;
    bool hardLinked = false; // "hlnkc"
    bool notRegular = false; // "notreg", or "excluded"
    bool readError = false;

    // Empty again, keeping the name's buffer for the next entry.
    void reset()
    {
        std::string kept = std::move(name);
        kept.clear();
        *this = ScanEntry();
        name = std::move(kept);
    }
};

// Grows a ScanTree entry by entry in the file's order and sums every folder's totals as it is
// closed. Each call either succeeds or returns the reason it refused (and the tree is then not
// to be used).
class ScanTreeBuilder {
public:
    // Folders deeper than this are refused: neither ncdu (a crash) nor gdu (a refusal) reads
    // them, and no real tree is nested anywhere near as deep.
    static constexpr std::size_t MaxDepth = 10000;

    explicit ScanTreeBuilder(ScanTree &tree) : m_tree(tree) {}

    ScanTree::Origin &origin() { return m_tree.m_origin; }
    std::size_t depth() const { return m_open.size(); }
    // Room for the entries a text of `bytes` can hold at most, taken from the system only as
    // it is used, so that the tree is never copied as it grows.
    void reserveFor(std::size_t bytes);

    // Each returns an empty string when done, else why not.
    std::string openFolder(const ScanEntry &entry);
    std::string addFile(const ScanEntry &entry);
    std::string closeFolder();
    // Counts each file with several names once below each folder; after the last folder.
    std::string finish();

private:
    struct OpenFolder {
        ScanTree::Index node;
        std::uint64_t dev;
    };
    struct Linked {
        std::uint64_t dev;
        std::uint64_t ino;
        ScanTree::Index node;
    };

    std::string addNode(const ScanEntry &entry, bool folder);
    std::string addToParent(ScanTree::Index node);

    ScanTree &m_tree;
    std::vector<OpenFolder> m_open;
    std::vector<Linked> m_linked;
};
