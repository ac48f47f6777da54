#include "treefolder/treeeventdataobject.h"

#include "treefolder/treeeventargs.h"

#include <QScopedValueRollback>

// The formats that hold data; QMimeData::hasFormat would ask the overridden formats().
bool TreeEventDataObject::holds(const QString &mimeType) const
{
    return QMimeData::formats().contains(mimeType);
}

void TreeEventDataObject::declareFormat(const QString &mimeType)
{
    if (!mimeType.isEmpty() && !m_promised.contains(mimeType) && !holds(mimeType))
        m_promised.append(mimeType);
}

QStringList TreeEventDataObject::formats() const
{
    QStringList all = QMimeData::formats();
    for (const QString &mimeType : m_promised) {
        if (!all.contains(mimeType))
            all.append(mimeType);
    }
    return all;
}

bool TreeEventDataObject::hasFormat(const QString &mimeType) const
{
    return m_promised.contains(mimeType) || holds(mimeType);
}

QVariant TreeEventDataObject::retrieveData(const QString &mimeType, QMetaType type) const
{
    // The object is never const in itself; Qt only hands the target a const view of it, and
    // supplying a promised format is what this lookup exists for.
    auto *self = const_cast<TreeEventDataObject *>(this);
    if (m_promised.contains(mimeType) && !holds(mimeType) && m_setData && !m_asking) {
        QScopedValueRollback asking(m_asking, true);
        short dataFormat = dataFormatFromMimeType(mimeType);
        m_setData(self, dataFormat);
    }
    if (holds(mimeType))
        self->m_promised.removeAll(mimeType);
    return QMimeData::retrieveData(mimeType, type);
}
