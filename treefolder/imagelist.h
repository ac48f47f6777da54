#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QString>

// The tree's image list imgFolder: pictures numbered from 1 in the order they were added,
// each under a text key. Keys are compared without regard to case and the first equal key
// answers, so each distinct key has one picture. Pictures are never removed: a rebuilt tree
// finds the same numbers again (the collapse rule recognises the top roots by 1 and 2).
class ImageList {
public:
    // The number of the picture under key, 0 when there is none.
    int indexOf(const QString &key) const;
    // Adds a picture under key and returns its number. Pictures that share their data share
    // one QIcon, so many folders with the same picture cost one icon.
    int add(const QString &key, const QPixmap &picture);

    int count() const { return int(m_entries.size()); }
    // Key, picture and icon of number index (1-based); empty for a number outside the list.
    QString key(int index) const;
    QPixmap pixmap(int index) const;
    QIcon icon(int index) const;

private:
    struct Entry {
        QString key;
        QPixmap pixmap;
        QIcon icon;
    };
    QList<Entry> m_entries;
    QHash<QString, int> m_indexByLoweredKey;
    QHash<qint64, QIcon> m_iconByPixmap;
};
