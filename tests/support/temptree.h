#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <string>

// A real folder tree in a fresh temporary directory, removed with the object.
// Relative paths use "/" and may name missing parent folders, which are created.
class TempTree {
public:
    TempTree();
    // Also removes what the temporary directory's own clean-up cannot: names that are not
    // UTF-8, paths longer than PATH_MAX, folders a test made unreadable.
    ~TempTree();

    // Root path without a trailing separator.
    std::string root() const;
    QString rootQ() const;
    // Root joined with a relative path.
    std::string path(const std::string &relative) const;
    QString pathQ(const std::string &relative) const;

    void makeDir(const std::string &relative) const;
    // A file of exactly `bytes` bytes of data.
    void makeFile(const std::string &relative, std::int64_t bytes) const;
    // A file of `bytes` bytes that occupies almost no disk (a hole).
    void makeSparseFile(const std::string &relative, std::int64_t bytes) const;
    void makeSymlink(const std::string &relative, const std::string &target) const;

private:
    QTemporaryDir m_dir;
};
