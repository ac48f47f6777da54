#pragma once

#include <QMimeData>
#include <QStringList>
#include <functional>

// The data object of a drag that starts in the tree. Besides the data it holds, it can
// promise formats whose data it does not have yet: when a drop target asks for such a format,
// the source is asked to supply it (OLESetData) and the target gets what it then set.
class TreeEventDataObject : public QMimeData {
    Q_OBJECT
public:
    // Called with the object and the DataFormat number when a promised format is first asked
    // for; the handler calls setData() for it or leaves it empty.
    using SetDataHandler = std::function<void(TreeEventDataObject *data, short &dataFormat)>;

    // Promises `mimeType` without its data.
    void declareFormat(const QString &mimeType);
    void setSetDataHandler(SetDataHandler handler) { m_setData = std::move(handler); }

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    bool holds(const QString &mimeType) const;

    QStringList m_promised;
    SetDataHandler m_setData;
    mutable bool m_asking = false;
};
