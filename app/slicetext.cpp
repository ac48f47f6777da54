#include "app/slicetext.h"

#include "foldersize/sizetext.h"

namespace {

constexpr qsizetype LabelNameLength = 15;

// Length in UTF-16 units of the first `count` code points of text.
qsizetype prefixUnits(const QString &text, qsizetype count)
{
    qsizetype units = 0;
    for (qsizetype points = 0; points < count && units < text.size(); ++points)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return units;
}

} // namespace

QString SliceName(const QString &entry, const QString &folder)
{
    QString name = entry;
    return name.replace(folder + u'/', QString(), Qt::CaseSensitive);
}

QString SliceLabel(const QString &name, const QString &sizeText)
{
    const qsizetype cut = prefixUnits(name, LabelNameLength);
    if (cut < name.size())
        return name.left(cut) + QStringLiteral("... - ") + sizeText;
    return name + QStringLiteral(" - ") + sizeText;
}

QString SideTextLine(const QString &name, const QString &sizeText)
{
    return name + QStringLiteral(" - ") + sizeText;
}

QString SliceValue(SizeAmount size)
{
    return QString::number(size.bytes());
}

QString SliceSizeText(SizeAmount size)
{
    return QString::fromLocal8Bit(SizeText(size.toDouble()));
}
