#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

// The keyed store a host keeps for one control instance: the control reads each name with a
// default and writes each name with a default, and a value equal to its default is not kept,
// so a fresh instance saves almost nothing. Names are compared without regard to case and
// keep the spelling and the place of their first write.
//
// "Equal to its default" (storedValuesEqual) is decided by meaning rather than by QVariant's
// own operator==, which would call the text "1" equal to true:
// - booleans against booleans; a boolean against an integer only when the integer is 0
//   (false) or 1 / -1 (true, in Qt's and in the older spelling); never against text;
// - integers of any width by their exact value, against floating point by value;
// - text by its exact characters (paths on Linux are case-sensitive);
// - colours by their RGBA value, whatever colour model built them;
// - fonts by family (case-insensitive), size, weight, italic, underline and strike-out;
// - pictures (QPixmap, QImage, QIcon) by their pixels; a picture without pixels equals
//   "no picture" (an invalid QVariant), since both leave the tree without a mouse icon;
// - any other pair only when both hold the same type and that type calls them equal.
class PropertyBag {
public:
    // The stored value of `name`, or `defaultValue` when the name is absent.
    // Throws RuntimeError 5 for an empty name.
    QVariant ReadProperty(const QString &name, const QVariant &defaultValue = {}) const;

    // Keeps `value` under `name` unless it equals `defaultValue`; a value equal to its
    // default also drops an earlier entry of that name, so the store never holds a default.
    // Throws RuntimeError 5 for an empty name.
    void WriteProperty(const QString &name, const QVariant &value,
                       const QVariant &defaultValue = {});

    // Keeps `value` as it is, with no default: how a host fills the store from its layout.
    void insert(const QString &name, const QVariant &value);
    void remove(const QString &name);
    void clear() { m_entries.clear(); }

    bool contains(const QString &name) const { return find(name) != m_entries.end(); }
    // The kept names in the order of their first write.
    QStringList names() const;
    int count() const { return static_cast<int>(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }

private:
    struct Entry {
        QString name;
        QVariant value;
    };
    std::vector<Entry>::const_iterator find(const QString &name) const;

    std::vector<Entry> m_entries;
};

// True when `value` counts as equal to `defaultValue` in the sense described above.
bool storedValuesEqual(const QVariant &value, const QVariant &defaultValue);
