#pragma once

#include <QString>
#include <string>

// A small tmpfs mounted on a fresh folder for the life of the object, so that tests can
// fill a file system for real. Mounting needs root; where it fails, mounted() is false
// and why() says so, for the test to skip with.
class SmallTmpfs {
public:
    explicit SmallTmpfs(int kilobytes);
    ~SmallTmpfs();
    SmallTmpfs(const SmallTmpfs &) = delete;
    SmallTmpfs &operator=(const SmallTmpfs &) = delete;

    bool mounted() const { return m_mounted; }
    std::string why() const { return m_why; }
    QString pathQ(const std::string &relative) const;
    // Fills the file system up to its last byte with a file of that name.
    void fill(const std::string &relative) const;

private:
    std::string m_root;
    bool m_mounted = false;
    std::string m_why;
};
