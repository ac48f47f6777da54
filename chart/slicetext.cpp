#include "chart/slicetext.h"

#include "foldersize/sizeamount.h"
#include "foldersize/sizetext.h"

#include <QCoreApplication>
#include <algorithm>

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

QString SliceSizeText(qint64 bytes)
{
    // SizeText works on the fixed-point amount; a count beyond its range shows as its end.
    const SizeAmount amount = SizeAmount::fromBytes(
        std::clamp<qint64>(bytes, SizeAmount::MinBytes, SizeAmount::MaxBytes));
    return QString::fromLocal8Bit(SizeText(amount.toDouble()));
}

QString SliceLabel(const ChartModel::Subfolder &subfolder)
{
    switch (subfolder.state) {
    case ChartModel::State::Waiting:
        return {};
    case ChartModel::State::Sizing:
        return GettingFolderSize();
    case ChartModel::State::Done:
        break;
    }
    return SliceLabel(subfolder.name,
                      subfolder.notAnswering ? NotAnswering() : SliceSizeText(subfolder.bytes));
}

QStringList SideTextLines(const ChartModel &model)
{
    QStringList lines;
    for (int i = 0; i < model.count(); ++i) {
        const ChartModel::Subfolder &subfolder = model.at(i);
        if (subfolder.state == ChartModel::State::Done)
            lines.append(SideTextLine(subfolder.name, SliceSizeText(subfolder.bytes)));
    }
    return lines;
}

QString GettingFolderSize()
{
    return QCoreApplication::translate("Chart", "Getting folder size...");
}

QString NotAnswering()
{
    return QCoreApplication::translate("Chart", "Not answering");
}
