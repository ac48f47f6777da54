#include "treefolder/propertybag.h"

#include "platform/runtimeerror.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <algorithm>
#include <optional>

namespace {

void requireName(const QString &name)
{
    if (name.isEmpty())
        throw RuntimeError(RuntimeErrorNumber::InvalidProcedureCall,
                           QStringLiteral("Invalid procedure call or argument: a stored property "
                                          "needs a name"));
}

bool isSignedInteger(int id)
{
    switch (id) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::SChar:
    case QMetaType::Char:
        return true;
    default:
        return false;
    }
}

bool isUnsignedInteger(int id)
{
    switch (id) {
    case QMetaType::UInt:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isInteger(int id)
{
    return isSignedInteger(id) || isUnsignedInteger(id);
}
bool isFloating(int id)
{
    return id == QMetaType::Double || id == QMetaType::Float;
}

bool integersEqual(const QVariant &a, const QVariant &b)
{
    const bool aNegative = isSignedInteger(a.typeId()) && a.toLongLong() < 0;
    const bool bNegative = isSignedInteger(b.typeId()) && b.toLongLong() < 0;
    if (aNegative || bNegative)
        return aNegative && bNegative && a.toLongLong() == b.toLongLong();
    return a.toULongLong() == b.toULongLong();
}

// A boolean spelled as an integer: 0 is false, 1 and -1 are true; anything else is no boolean.
bool booleanMatchesInteger(bool flag, const QVariant &integer)
{
    if (isUnsignedInteger(integer.typeId()))
        return integer.toULongLong() == (flag ? 1u : 0u);
    const qlonglong n = integer.toLongLong();
    return flag ? (n == 1 || n == -1) : n == 0;
}

bool fontsEqual(const QFont &a, const QFont &b)
{
    if (a.family().compare(b.family(), Qt::CaseInsensitive) != 0)
        return false;
    if (a.pointSizeF() > 0 || b.pointSizeF() > 0) {
        if (!qFuzzyCompare(a.pointSizeF(), b.pointSizeF()))
            return false;
    } else if (a.pixelSize() != b.pixelSize()) {
        return false;
    }
    return a.weight() == b.weight() && a.italic() == b.italic() && a.underline() == b.underline() &&
           a.strikeOut() == b.strikeOut();
}

// The pixels of a picture value; an empty QImage stands for "no picture".
std::optional<QImage> pictureOf(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::QPixmap:
        return v.value<QPixmap>().toImage();
    case QMetaType::QImage:
        return v.value<QImage>();
    case QMetaType::QIcon: {
        const QIcon icon = v.value<QIcon>();
        const QList<QSize> sizes = icon.availableSizes();
        if (icon.isNull() || sizes.isEmpty())
            return QImage();
        return icon.pixmap(sizes.first()).toImage();
    }
    default:
        return std::nullopt;
    }
}

bool picturesEqual(const QImage &a, const QImage &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    return a.convertToFormat(QImage::Format_ARGB32) == b.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

bool storedValuesEqual(const QVariant &value, const QVariant &defaultValue)
{
    const int a = value.typeId();
    const int b = defaultValue.typeId();

    const std::optional<QImage> pictureA = pictureOf(value);
    const std::optional<QImage> pictureB = pictureOf(defaultValue);
    if (pictureA || pictureB) {
        const QImage none;
        if ((pictureA || !value.isValid()) && (pictureB || !defaultValue.isValid()))
            return picturesEqual(pictureA.value_or(none), pictureB.value_or(none));
        return false;
    }
    if (!value.isValid() || !defaultValue.isValid())
        return !value.isValid() && !defaultValue.isValid();

    if (a == QMetaType::Bool && b == QMetaType::Bool)
        return value.toBool() == defaultValue.toBool();
    if (a == QMetaType::Bool && isInteger(b))
        return booleanMatchesInteger(value.toBool(), defaultValue);
    if (b == QMetaType::Bool && isInteger(a))
        return booleanMatchesInteger(defaultValue.toBool(), value);
    if (isInteger(a) && isInteger(b))
        return integersEqual(value, defaultValue);
    if ((isInteger(a) || isFloating(a)) && (isInteger(b) || isFloating(b)))
        return value.toDouble() == defaultValue.toDouble();
    if (a == QMetaType::QColor && b == QMetaType::QColor) {
        const QColor x = value.value<QColor>();
        const QColor y = defaultValue.value<QColor>();
        return x.isValid() == y.isValid() && (!x.isValid() || x.rgba() == y.rgba());
    }
    if (a == QMetaType::QFont && b == QMetaType::QFont)
        return fontsEqual(value.value<QFont>(), defaultValue.value<QFont>());
    if (a != b)
        return false;
    return value == defaultValue;
}

std::vector<PropertyBag::Entry>::const_iterator PropertyBag::find(const QString &name) const
{
    return std::find_if(m_entries.begin(), m_entries.end(), [&name](const Entry &entry) {
        return entry.name.compare(name, Qt::CaseInsensitive) == 0;
    });
}

QVariant PropertyBag::ReadProperty(const QString &name, const QVariant &defaultValue) const
{
    requireName(name);
    const auto it = find(name);
    return it == m_entries.end() ? defaultValue : it->value;
}

void PropertyBag::WriteProperty(const QString &name, const QVariant &value,
                                const QVariant &defaultValue)
{
    requireName(name);
    if (storedValuesEqual(value, defaultValue)) {
        remove(name);
        return;
    }
    insert(name, value);
}

void PropertyBag::insert(const QString &name, const QVariant &value)
{
    requireName(name);
    const auto it = find(name);
    if (it == m_entries.end()) {
        m_entries.push_back({name, value});
        return;
    }
    m_entries[static_cast<std::size_t>(it - m_entries.begin())].value = value;
}

void PropertyBag::remove(const QString &name)
{
    const auto it = find(name);
    if (it != m_entries.end())
        m_entries.erase(it);
}

QStringList PropertyBag::names() const
{
    QStringList result;
    result.reserve(count());
    for (const Entry &entry : m_entries)
        result.append(entry.name);
    return result;
}
