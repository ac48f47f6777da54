#include "scanfile/scantreebuilder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <unordered_map>

namespace {

constexpr std::uint32_t MaxIndex = std::numeric_limits<std::uint32_t>::max();

// A name below the root is one directory entry: it cannot be empty, hold a separator or a
// NUL, or step out of its folder. The root's name is the scanned path and may hold '/'.
std::string checkName(const ScanEntry &entry, bool root)
{
    if (!entry.named)
        return "an entry without a \"name\"";
    const std::string &name = entry.name;
    if (name.empty())
        return "an empty name";
    if (name.find('\0') != std::string::npos)
        return "a name holding a NUL byte";
    if (!root && name.find('/') != std::string::npos)
        return "a name holding '/'";
    if (!root && (name == "." || name == ".."))
        return "the name \"" + name + "\"";
    return {};
}

} // namespace

void ScanTreeBuilder::reserveFor(std::size_t bytes)
{
    // The shortest entry, {"name":"x"} and its comma, is 13 bytes; a name is at most the text.
    const std::size_t limit = std::size_t(MaxIndex) / 2;
    m_tree.m_nodes.reserve(std::min(bytes / 13 + 1, limit / sizeof(ScanTree::Node)));
    m_tree.m_names.reserve(std::min(bytes, limit));
}

std::string ScanTreeBuilder::addNode(const ScanEntry &entry, bool folder)
{
    const bool root = m_tree.m_nodes.empty();
    if (std::string wrong = checkName(entry, root); !wrong.empty())
        return wrong;
    if (m_tree.m_nodes.size() >= MaxIndex || m_tree.m_names.size() + entry.name.size() >= MaxIndex)
        return "more entries than one scan may hold";
    ScanTree::Node node;
    node.name = std::uint32_t(m_tree.m_names.size());
    node.parent = root ? ScanTree::Root : m_open.back().node;
    node.flags = std::uint8_t((folder ? ScanTree::FolderFlag : 0) |
                              (entry.readError ? ScanTree::ReadErrorFlag : 0));
    // The live chart's file lengths are those of regular files; a folder's own length is none.
    node.apparent = folder || entry.notRegular ? 0 : entry.asize;
    node.disk = entry.dsize;
    node.end = std::uint32_t(m_tree.m_nodes.size() + 1);
    m_tree.m_names.insert(m_tree.m_names.end(), entry.name.begin(), entry.name.end());
    m_tree.m_names.push_back('\0');
    m_tree.m_nodes.push_back(node);
    return {};
}

std::string ScanTreeBuilder::addToParent(ScanTree::Index node)
{
    ScanTree::Node &parent = m_tree.m_nodes[m_open.back().node];
    const ScanTree::Node &child = m_tree.m_nodes[node];
    if (__builtin_add_overflow(parent.apparent, child.apparent, &parent.apparent) ||
        __builtin_add_overflow(parent.disk, child.disk, &parent.disk))
        return "sizes whose sum overflows";
    return {};
}

std::string ScanTreeBuilder::openFolder(const ScanEntry &entry)
{
    if (m_open.size() >= MaxDepth)
        return "folders nested deeper than " + std::to_string(MaxDepth) + " levels";
    if (!m_open.empty() || !m_tree.m_nodes.empty()) {
        if (m_open.empty())
            return "a second top folder";
    }
    if (std::string wrong = addNode(entry, true); !wrong.empty())
        return wrong;
    const std::uint64_t dev = entry.hasDev || m_open.empty() ? entry.dev : m_open.back().dev;
    m_open.push_back({ScanTree::Index(m_tree.m_nodes.size() - 1), dev});
    return {};
}

std::string ScanTreeBuilder::addFile(const ScanEntry &entry)
{
    if (m_open.empty())
        return "a file outside every folder";
    if (std::string wrong = addNode(entry, false); !wrong.empty())
        return wrong;
    const auto node = ScanTree::Index(m_tree.m_nodes.size() - 1);
    // ncdu marks a file with several names "hlnkc"; gdu may give only the link count.
    if (entry.hasIno && (entry.hardLinked || entry.nlink > 1))
        m_linked.push_back({entry.hasDev ? entry.dev : m_open.back().dev, entry.ino, node});
    return addToParent(node);
}

std::string ScanTreeBuilder::closeFolder()
{
    const ScanTree::Index node = m_open.back().node;
    m_tree.m_nodes[node].end = std::uint32_t(m_tree.m_nodes.size());
    m_open.pop_back();
    return m_open.empty() ? std::string() : addToParent(node);
}

std::string ScanTreeBuilder::finish()
{
    std::sort(m_linked.begin(), m_linked.end(), [](const Linked &a, const Linked &b) {
        return a.dev != b.dev ? a.dev < b.dev : a.ino != b.ino ? a.ino < b.ino : a.node < b.node;
    });
    // Per folder: how many names of one file lie below it, their sizes summed and the least;
    // all but the least are taken off, so a file whose names disagree never goes below zero.
    struct Names {
        std::uint32_t count = 0;
        std::int64_t sum = 0;
        std::int64_t least = 0;
    };
    std::unordered_map<ScanTree::Index, Names> namesBelow;
    for (std::size_t first = 0; first < m_linked.size();) {
        std::size_t last = first + 1;
        while (last < m_linked.size() && m_linked[last].dev == m_linked[first].dev &&
               m_linked[last].ino == m_linked[first].ino)
            ++last;
        if (last - first > 1) {
            namesBelow.clear();
            for (std::size_t i = first; i < last; ++i) {
                const std::int64_t size = m_tree.m_nodes[m_linked[i].node].disk;
                ScanTree::Index at = m_linked[i].node;
                do {
                    at = m_tree.m_nodes[at].parent;
                    Names &names = namesBelow[at];
                    names.least = names.count == 0 ? size : std::min(names.least, size);
                    names.sum += size; // each sum is part of a folder total that did not overflow
                    ++names.count;
                } while (at != ScanTree::Root);
            }
            for (const auto &[folder, names] : namesBelow)
                m_tree.m_nodes[folder].disk -= names.sum - names.least;
        }
        first = last;
    }
    m_linked.clear();
    m_linked.shrink_to_fit();
    return {};
}
