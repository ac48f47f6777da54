#include "treefolder/storedproperties.h"

#include "platform/runtimeerror.h"
#include "treefolder/olecolor.h"
#include "treefolder/propertybag.h"

#include <QDir>
#include <QIcon>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <limits>

namespace {

[[noreturn]] void typeMismatch(const QString &name)
{
    throw RuntimeError(StoredPropertyError::TypeMismatch,
                       QStringLiteral("Type mismatch in stored property \"%1\"").arg(name));
}

[[noreturn]] void overflow(const QString &name)
{
    throw RuntimeError(RuntimeErrorNumber::Overflow,
                       QStringLiteral("Overflow in stored property \"%1\"").arg(name));
}

bool isIntegerType(int id)
{
    switch (id) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Char:
        return true;
    default:
        return false;
    }
}

bool isUnsignedType(int id)
{
    return id == QMetaType::UInt || id == QMetaType::UShort || id == QMetaType::ULong ||
           id == QMetaType::ULongLong || id == QMetaType::UChar;
}

// A whole number from any numeric spelling; floating point rounds half to even.
qint64 wholeNumber(const QVariant &v, const QString &name)
{
    const int id = v.typeId();
    if (id == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (isIntegerType(id)) {
        if (isUnsignedType(id) &&
            v.toULongLong() > static_cast<quint64>(std::numeric_limits<qint64>::max()))
            overflow(name);
        return v.toLongLong();
    }
    double d = 0;
    if (id == QMetaType::Double || id == QMetaType::Float) {
        d = v.toDouble();
    } else if (id == QMetaType::QString) {
        bool ok = false;
        d = v.toString().trimmed().toDouble(&ok);
        if (!ok)
            typeMismatch(name);
    } else {
        typeMismatch(name);
    }
    if (!std::isfinite(d) || std::fabs(d) > 9.0e18)
        overflow(name);
    return static_cast<qint64>(std::nearbyint(d));
}

qint64 numberIn(const QVariant &v, const QString &name, qint64 lowest, qint64 highest)
{
    const qint64 n = wholeNumber(v, name);
    if (n < lowest || n > highest)
        overflow(name);
    return n;
}

short toShort(const QVariant &v, const QString &name)
{
    return static_cast<short>(
        numberIn(v, name, std::numeric_limits<short>::min(), std::numeric_limits<short>::max()));
}

int toInt(const QVariant &v, const QString &name)
{
    return static_cast<int>(
        numberIn(v, name, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// An OLE colour is 32 bits whether spelled signed (-2147483643) or unsigned (0x80000005).
quint32 toOleColor(const QVariant &v, const QString &name)
{
    if (v.typeId() == QMetaType::QColor) {
        const qint32 rgb = rgbFromColor(v.value<QColor>());
        if (rgb < 0)
            typeMismatch(name);
        return static_cast<quint32>(rgb);
    }
    return static_cast<quint32>(
        numberIn(v, name, std::numeric_limits<qint32>::min(), std::numeric_limits<quint32>::max()));
}

bool toBool(const QVariant &v, const QString &name)
{
    const int id = v.typeId();
    if (id == QMetaType::Bool)
        return v.toBool();
    if (id == QMetaType::QString) {
        const QString text = v.toString().trimmed();
        if (text.compare(u"true", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"false", Qt::CaseInsensitive) == 0)
            return false;
    }
    return wholeNumber(v, name) != 0;
}

QFont toFont(const QVariant &v, const QString &name)
{
    if (v.typeId() != QMetaType::QFont)
        typeMismatch(name);
    return v.value<QFont>();
}

QPixmap toPicture(const QVariant &v, const QString &name)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        return {};
    case QMetaType::QPixmap:
        return v.value<QPixmap>();
    case QMetaType::QImage:
        return QPixmap::fromImage(v.value<QImage>());
    case QMetaType::QIcon: {
        const QIcon icon = v.value<QIcon>();
        const QList<QSize> sizes = icon.availableSizes();
        return sizes.isEmpty() ? QPixmap() : icon.pixmap(sizes.first());
    }
    default:
        typeMismatch(name);
    }
}

QString toText(const QVariant &v, const QString &name)
{
    const int id = v.typeId();
    if (id == QMetaType::QString)
        return v.toString();
    if (id == QMetaType::QByteArray)
        return QString::fromLocal8Bit(v.toByteArray());
    if (isIntegerType(id) || id == QMetaType::Double || id == QMetaType::Float)
        return v.toString();
    typeMismatch(name);
}

// The value read for property, converted to the type its setter takes.
QVariant converted(const StoredProperty &property, const QVariant &v)
{
    const QString &name = property.name;
    switch (property.type) {
    case StoredType::Boolean:
        return toBool(v, name);
    case StoredType::Short:
        return int(toShort(v, name));
    case StoredType::Integer:
        return toInt(v, name);
    case StoredType::Color:
        return toOleColor(v, name);
    case StoredType::Font:
        return toFont(v, name);
    case StoredType::Picture:
        return toPicture(v, name);
    case StoredType::Text:
        return toText(v, name);
    }
    return v;
}

// A value as it is saved: a Short is kept as a 16-bit number.
QVariant saved(const StoredProperty &property, const QVariant &v)
{
    if (property.type == StoredType::Short)
        return QVariant::fromValue<short>(static_cast<short>(v.toInt()));
    return v;
}

// The properties that a loaded set applies, in their order.
const QList<const StoredProperty *> &inReadOrder()
{
    static const QList<const StoredProperty *> order = [] {
        QList<const StoredProperty *> read;
        for (const StoredProperty &property : storedPropertySet()) {
            if (property.readPlace > 0)
                read.append(&property);
        }
        std::sort(read.begin(), read.end(),
                  [](const auto *a, const auto *b) { return a->readPlace < b->readPlace; });
        return read;
    }();
    return order;
}

} // namespace

QString ProcessCurrentDirectory()
{
    return QDir::currentPath();
}

void readStoredProperties(const PropertyBag &bag, StoredPropertyTarget &target,
                          const std::function<QString()> &desktopFolderPath)
{
    for (const StoredProperty *property : inReadOrder()) {
        QVariant absent;
        switch (property->from) {
        case StoredDefault::Fixed:
            absent = property->value;
            break;
        case StoredDefault::AmbientFont:
            absent = target.ambientFont();
            break;
        case StoredDefault::Current:
            absent = target.stored(*property);
            break;
        case StoredDefault::Desktop:
            absent = desktopFolderPath();
            break;
        }
        target.setStored(*property, converted(*property, bag.ReadProperty(property->name, absent)));
    }
}

void writeStoredProperties(PropertyBag &bag, const StoredPropertyTarget &target)
{
    for (const StoredProperty &property : storedPropertySet()) {
        QVariant unkept = property.value;
        if (property.from == StoredDefault::AmbientFont)
            unkept = target.ambientFont();
        else if (property.from == StoredDefault::Desktop)
            unkept = ProcessCurrentDirectory();
        bag.WriteProperty(property.name, saved(property, target.stored(property)),
                          saved(property, unkept));
    }
}
