#pragma once

#include <QString>
#include <QStringList>
#include <dirent.h>

// How a directory list reads its entries. The seam is a type, not a virtual call: a test
// hands in reads that change what the file system reports (an unknown entry type, as some
// network and FUSE file systems give) and the real list pays nothing for it.
struct SystemDirectoryReads {
    static const dirent *read(DIR *dir) { return readdir(dir); }
};

// The hidden directory list: the immediate real subdirectories of one folder (hidden ones
// included, symbolic links not), sorted by name without regard to case.
//
// Path is kept normalised: "/" keeps its separator, every other folder has none, so a list
// entry is always Path, "/" (unless Path is "/") and the name. Paths carry the file system's
// bytes (nativepath.h), so a name that is not UTF-8 is listed as a path that opens again.
template<typename Reads = SystemDirectoryReads> class BasicDirectoryList {
public:
    QString path() const { return m_path; }
    // Lists the folder. Throws RuntimeError 76 "Path not found" when it cannot be opened;
    // the list then keeps its previous path and entries.
    void setPath(const QString &path);

    int listCount() const { return int(m_entries.size()); }
    // Full path of subdirectory i (0-based); empty text outside the list.
    QString list(int index) const
    {
        return index >= 0 && index < m_entries.size() ? m_entries.at(index) : QString();
    }
    // Lists the current folder again.
    void refresh()
    {
        if (!m_path.isEmpty())
            setPath(m_path);
    }

private:
    QString m_path;
    QStringList m_entries;
};

using DirectoryList = BasicDirectoryList<>;

// "/" stays "/", "/a/b/" becomes "/a/b"; empty text stays empty.
QString normalizedFolderPath(const QString &path);
