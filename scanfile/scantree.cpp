#include "scanfile/scantree.h"

std::vector<ScanTree::Index> ScanTree::subfolders(Index folder) const
{
    std::vector<Index> found;
    if (!isFolder(folder))
        return found;
    for (Index child = folder + 1; child < m_nodes[folder].end; child = nextSibling(child))
        if (isFolder(child))
            found.push_back(child);
    return found;
}

std::uint64_t ScanTree::readErrorsAtOrBelow(Index node) const
{
    std::uint64_t count = 0;
    for (Index at = node; at < nextSibling(node); ++at)
        count += (m_nodes[at].flags & ReadErrorFlag) != 0;
    return count;
}

std::int64_t ScanTree::filesDirectlyIn(Index folder, bool disk) const
{
    std::int64_t bytes = 0;
    if (!isFolder(folder))
        return bytes;
    // Each is part of the folder's total, which did not overflow.
    for (Index child = folder + 1; child < m_nodes[folder].end; child = nextSibling(child))
        if (!isFolder(child))
            bytes += disk ? m_nodes[child].disk : m_nodes[child].apparent;
    return bytes;
}

std::int64_t ScanTree::find(std::string_view path) const
{
    if (m_nodes.empty())
        return -1;
    Index at = Root;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view step = path.substr(0, slash);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        if (step.empty()) // "a//b" and a trailing slash name the same folder as a shell does
            continue;
        if (!isFolder(at))
            return -1;
        Index child = at + 1;
        while (child < m_nodes[at].end && name(child) != step)
            child = nextSibling(child);
        if (child >= m_nodes[at].end)
            return -1;
        at = child;
    }
    return at;
}

std::string ScanTree::pathInside(Index node) const
{
    std::vector<Index> chain;
    for (Index at = node; at != Root; at = parent(at))
        chain.push_back(at);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += '/';
        path += name(*it);
    }
    return path;
}

std::size_t ScanTree::heldBytes() const
{
    return m_nodes.capacity() * sizeof(Node) + m_names.capacity();
}
