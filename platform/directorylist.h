#pragma once

#include <QString>
#include <QStringList>

// The hidden directory list: the immediate real subdirectories of one folder (hidden ones
// included, symbolic links not), sorted by name without regard to case.
//
// Path is kept normalised: "/" keeps its separator, every other folder has none, so a list
// entry is always Path, "/" (unless Path is "/") and the name.
class DirectoryList {
public:
    QString path() const { return m_path; }
    // Lists the folder. Throws RuntimeError 76 "Path not found" when it cannot be opened;
    // the list then keeps its previous path and entries.
    void setPath(const QString &path);

    int listCount() const { return int(m_entries.size()); }
    // Full path of subdirectory i (0-based); empty text outside the list.
    QString list(int index) const;
    // Lists the current folder again.
    void refresh();

private:
    QString m_path;
    QStringList m_entries;
};

// "/" stays "/", "/a/b/" becomes "/a/b"; empty text stays empty.
QString normalizedFolderPath(const QString &path);
