#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The tree a scan file holds, kept compact: one node per entry in the file's order (a folder
// before everything below it), so a folder's descendants are the nodes up to its `end`, and
// every name lives in one byte arena. A folder's sizes are the totals of its subtree, summed
// once while it is read.
//
// Sizes follow the live chart: `apparent` counts the lengths of regular files (every name of
// a file with several names, as a listing shows them); `disk` counts what du counts, every
// entry's space on disk, a folder's own included, and a file with several names once below
// each folder (by device and inode, as ncdu does).
class ScanTree {
public:
    using Index = std::uint32_t;
    static constexpr Index Root = 0;

    struct Origin {
        std::string program; // "ncdu", "gdu", "quorvane"; empty when the file does not say
        std::string version;
        std::int64_t timestamp = -1; // seconds since the epoch; -1 when the file does not say
    };

    std::size_t size() const { return m_nodes.size(); }
    const Origin &origin() const { return m_origin; }

    // The root's name is the path that was scanned; any other is one entry's name, its bytes
    // as they were on the disk.
    std::string_view name(Index node) const { return {m_names.data() + m_nodes[node].name}; }
    bool isFolder(Index node) const { return m_nodes[node].flags & FolderFlag; }
    // A folder that could not be read (wholly or in part) when it was scanned.
    bool readError(Index node) const { return m_nodes[node].flags & ReadErrorFlag; }
    std::int64_t apparent(Index node) const { return m_nodes[node].apparent; }
    std::int64_t disk(Index node) const { return m_nodes[node].disk; }
    Index parent(Index node) const { return m_nodes[node].parent; }
    // One past the last node at or below `node`: its subtree is node .. subtreeEnd - 1.
    Index subtreeEnd(Index node) const { return nextSibling(node); }
    // Folders at or below `node` that could not be read (wholly or in part) when scanned.
    std::uint64_t readErrorsAtOrBelow(Index node) const;
    // What the entries lying directly in `folder` hold, its subfolders not counted: their
    // lengths, or with `disk` their space on disk.
    std::int64_t filesDirectlyIn(Index folder, bool disk) const;
    // The folders directly below `folder`, in the file's order.
    std::vector<Index> subfolders(Index folder) const;
    // The node at `path` below the root ("a/b", no leading slash; "" is the root), or -1.
    std::int64_t find(std::string_view path) const;
    // The path of a node below the root, names joined by '/'; "" for the root.
    std::string pathInside(Index node) const;

    // Bytes the tree holds, for the memory benchmark and a bound on what a file may make.
    std::size_t heldBytes() const;

private:
    friend class ScanTreeBuilder;

    enum : std::uint8_t { FolderFlag = 1, ReadErrorFlag = 2 };
    struct Node {
        std::int64_t apparent = 0;
        std::int64_t disk = 0;
        std::uint32_t name = 0;   // offset of the NUL-terminated name in m_names
        std::uint32_t parent = 0; // the root is its own parent
        std::uint32_t end = 0;    // one past the last node below it
        std::uint8_t flags = 0;
    };

    Index nextSibling(Index node) const { return isFolder(node) ? m_nodes[node].end : node + 1; }

    std::vector<Node> m_nodes;
    std::vector<char> m_names;
    Origin m_origin;
};
