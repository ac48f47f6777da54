#pragma once

#include "export/savecalls.h"
#include "support/runinchild.h"
#include "support/smalltmpfs.h"
#include "support/temptree.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <cerrno>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// What the save tests share: reading files back, listing folders, saving as an ordinary user
// and swapping the save's system calls for failing ones.
namespace savetesting {

constexpr uid_t nobody = 65534;

inline QByteArray contents(const std::string &path)
{
    QFile file(QFile::decodeName(path.c_str()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline QStringList entries(const std::string &folder)
{
    return QDir(QFile::decodeName(folder.c_str()))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

inline struct stat status(const std::string &path)
{
    struct stat result {};
    ::lstat(path.c_str(), &result);
    return result;
}

// Writes as a plain writer would; then sets the mode, unless it is 0.
inline void writeFile(const std::string &path, const QByteArray &bytes, mode_t mode)
{
    QFile file(QFile::decodeName(path.c_str()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    if (mode != 0)
        ::chmod(path.c_str(), mode);
}

// Standard output of a tool (getfacl, getfattr, setfacl, ...), or a note that it failed.
inline QByteArray tool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(10000) || process.exitCode() != 0)
        return "<" + program.toUtf8() + " failed: " + process.readAllStandardError() + ">";
    return process.readAllStandardOutput();
}

// A folder in the tree that the ordinary user of asOrdinaryUser owns and can reach.
inline std::string ordinaryUsersFolder(const TempTree &tree, const std::string &relative)
{
    tree.makeDir(relative);
    if (::geteuid() == 0) {
        ::chmod(tree.root().c_str(), 0755);
        EXPECT_EQ(::chown(tree.path(relative).c_str(), nobody, nobody), 0);
    }
    return tree.path(relative);
}

// Runs `work` in a child as an ordinary user (nobody when the tests run as root, else the
// user running them) and returns what it said.
inline std::string asOrdinaryUser(const std::function<std::string()> &work)
{
    return runInChild([&work] {
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0))
            return std::string("cannot become nobody");
        return work();
    });
}

// Puts the save's own system calls back when the test ends.
class SwappedSaveCalls {
public:
    ~SwappedSaveCalls() { saveCalls() = m_saved; }

private:
    SaveCalls m_saved = saveCalls();
};

inline ssize_t noSpaceLeft(int, const void *, size_t)
{
    errno = ENOSPC;
    return -1;
}

// A folder on a disk that fill() fills: a small tmpfs where we may mount one (root), else an
// ordinary folder whose saves from then on fail to write as on a full disk.
class FullDisk {
public:
    QString pathQ(const std::string &relative) const
    {
        return m_tmpfs.mounted() ? m_tmpfs.pathQ(relative) : m_tree.pathQ(relative);
    }
    void fill()
    {
        if (m_tmpfs.mounted())
            m_tmpfs.fill("filler");
        else
            saveCalls().write = noSpaceLeft;
    }

private:
    SmallTmpfs m_tmpfs{64};
    TempTree m_tree;
    SwappedSaveCalls m_restore;
};

} // namespace savetesting
