#include "treefolder/imagelist.h"

int ImageList::indexOf(const QString &key) const
{
    return m_indexByLoweredKey.value(key.toLower(), 0);
}

int ImageList::add(const QString &key, const QPixmap &picture)
{
    QIcon icon = m_iconByPixmap.value(picture.cacheKey());
    if (icon.isNull() && !picture.isNull()) {
        icon = QIcon(picture);
        m_iconByPixmap.insert(picture.cacheKey(), icon);
    }
    m_entries.append(Entry{key, picture, icon});
    const int index = count();
    const QString lowered = key.toLower();
    if (!m_indexByLoweredKey.contains(lowered))
        m_indexByLoweredKey.insert(lowered, index);
    return index;
}

QString ImageList::key(int index) const
{
    return index >= 1 && index <= count() ? m_entries.at(index - 1).key : QString();
}

QPixmap ImageList::pixmap(int index) const
{
    return index >= 1 && index <= count() ? m_entries.at(index - 1).pixmap : QPixmap();
}

QIcon ImageList::icon(int index) const
{
    return index >= 1 && index <= count() ? m_entries.at(index - 1).icon : QIcon();
}
