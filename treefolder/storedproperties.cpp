#include "treefolder/storedproperties.h"

#include "platform/runtimeerror.h"
#include "treefolder/propertybag.h"

#include <QDir>
#include <QIcon>
#include <QImage>
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

class Reader {
public:
    explicit Reader(const PropertyBag &bag) : m_bag(bag) {}

    QVariant read(const QString &name, const QVariant &defaultValue) const
    {
        return m_bag.ReadProperty(name, defaultValue);
    }
    bool boolean(const QString &name, bool defaultValue) const
    {
        return toBool(read(name, defaultValue), name);
    }
    int integer(const QString &name, int defaultValue) const
    {
        return toInt(read(name, defaultValue), name);
    }

private:
    const PropertyBag &m_bag;
};

} // namespace

QString ProcessCurrentDirectory()
{
    return QDir::currentPath();
}

void readStoredProperties(const PropertyBag &bag, StoredPropertyTarget &target,
                          const std::function<QString()> &desktopFolderPath)
{
    namespace D = StoredPropertyDefault;
    const Reader r(bag);
    const QString borderStyle = QStringLiteral("BorderStyle");
    const QString backColor = QStringLiteral("BackColor");
    const QString font = QStringLiteral("Font");
    const QString mouseIcon = QStringLiteral("MouseIcon");
    const QString path = QStringLiteral("Path");

    target.setStoredEnabled(r.boolean(QStringLiteral("Enabled"), D::Enabled));
    target.setStoredBorderStyle(toShort(r.read(borderStyle, D::BorderStyle), borderStyle));
    target.setStoredBackColor(
        toOleColor(r.read(backColor, static_cast<qint32>(D::BackColor)), backColor));
    target.setStoredCheckBoxes(r.boolean(QStringLiteral("CheckBoxes"), D::CheckBoxes));
    target.setStoredFont(toFont(r.read(font, target.ambientFont()), font));
    target.setStoredFullRowSelect(r.boolean(QStringLiteral("FullRowSelect"), D::FullRowSelect));
    target.setStoredHideSelection(r.boolean(QStringLiteral("HideSelection"), D::HideSelection));
    target.setStoredHotTracking(r.boolean(QStringLiteral("HotTracking"), D::HotTracking));
    target.setStoredLabelEdit(r.integer(QStringLiteral("LabelEdit"), D::LabelEdit));
    target.setStoredMouseIcon(toPicture(r.read(mouseIcon, QVariant()), mouseIcon));
    target.setStoredMousePointer(r.integer(QStringLiteral("MousePointer"), D::MousePointer));
    target.setStoredOleDragMode(r.integer(QStringLiteral("OleDragMode"), D::OleDragMode));
    target.setStoredOleDropMode(r.integer(QStringLiteral("OleDropMode"), D::OleDropMode));
    target.setStoredSingleSel(r.boolean(QStringLiteral("SingleSel"), D::SingleSel));
    target.setStoredHideControlPanel(
        r.boolean(QStringLiteral("HideControlPanel"), D::HideControlPanel));
    target.setStoredHideFavorites(r.boolean(QStringLiteral("HideFavorites"), D::HideFavorites));
    target.setStoredHideMyDocuments(
        r.boolean(QStringLiteral("HideMyDocuments"), D::HideMyDocuments));
    target.setStoredHideNetwork(r.boolean(QStringLiteral("HideNetwork"), D::HideNetwork));
    const QString desktop = desktopFolderPath();
    target.setStoredPath(toText(r.read(path, desktop), path));
    target.setStoredStyle(r.integer(QStringLiteral("Style"), target.storedStyle()));
    target.setStoredLineStyle(r.integer(QStringLiteral("LineStyle"), target.storedLineStyle()));
}

void writeStoredProperties(PropertyBag &bag, const StoredPropertyTarget &target)
{
    namespace D = StoredPropertyDefault;
    bag.WriteProperty(QStringLiteral("BackColor"), target.storedBackColor(),
                      static_cast<qint32>(D::BackColor));
    bag.WriteProperty(QStringLiteral("BorderStyle"),
                      QVariant::fromValue<short>(target.storedBorderStyle()),
                      QVariant::fromValue<short>(D::BorderStyle));
    bag.WriteProperty(QStringLiteral("CheckBoxes"), target.storedCheckBoxes(), D::CheckBoxes);
    bag.WriteProperty(QStringLiteral("Enabled"), target.storedEnabled(), D::Enabled);
    bag.WriteProperty(QStringLiteral("Font"), target.storedFont(), target.ambientFont());
    bag.WriteProperty(QStringLiteral("FullRowSelect"), target.storedFullRowSelect(),
                      D::FullRowSelect);
    bag.WriteProperty(QStringLiteral("HideSelection"), target.storedHideSelection(),
                      D::HideSelection);
    bag.WriteProperty(QStringLiteral("HideControlPanel"), target.storedHideControlPanel(),
                      D::HideControlPanel);
    bag.WriteProperty(QStringLiteral("HideFavorites"), target.storedHideFavorites(),
                      D::HideFavorites);
    bag.WriteProperty(QStringLiteral("HideMyDocuments"), target.storedHideMyDocuments(),
                      D::HideMyDocuments);
    bag.WriteProperty(QStringLiteral("HideNetwork"), target.storedHideNetwork(), D::HideNetwork);
    bag.WriteProperty(QStringLiteral("HotTracking"), target.storedHotTracking(), D::HotTracking);
    bag.WriteProperty(QStringLiteral("LabelEdit"), target.storedLabelEdit(), D::LabelEdit);
    bag.WriteProperty(QStringLiteral("MouseIcon"), target.storedMouseIcon(), QVariant());
    bag.WriteProperty(QStringLiteral("MousePointer"), target.storedMousePointer(), D::MousePointer);
    bag.WriteProperty(QStringLiteral("OleDragMode"), target.storedOleDragMode(), D::OleDragMode);
    bag.WriteProperty(QStringLiteral("OleDropMode"), target.storedOleDropMode(), D::OleDropMode);
    bag.WriteProperty(QStringLiteral("SingleSel"), target.storedSingleSel(), D::SingleSel);
    bag.WriteProperty(QStringLiteral("Style"), target.storedStyle(), D::StyleWhenWriting);
    bag.WriteProperty(QStringLiteral("LineStyle"), target.storedLineStyle(),
                      D::LineStyleWhenWriting);
    bag.WriteProperty(QStringLiteral("ShowFolders"), target.storedShowFolders(),
                      D::ShowFoldersWhenWriting);
    bag.WriteProperty(QStringLiteral("Path"), target.storedPath(), ProcessCurrentDirectory());
}
