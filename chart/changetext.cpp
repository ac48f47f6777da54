#include "chart/changetext.h"

#include "chart/chartmodel.h"
#include "chart/slicetext.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QLocale>
#include <QSet>

QString ChangeDay(const QDateTime &when, const QDate &today)
{
    const QDate day = when.toLocalTime().date();
    return QLocale().toString(day, day.year() == today.year() ? QStringLiteral("d MMM")
                                                              : QStringLiteral("d MMM yyyy"));
}

std::optional<qint64> ChangeBytes(const ChartModel &model, int index)
{
    if (!model.comparison().isSet() || index < 0 || index >= model.count())
        return std::nullopt;
    const ChartModel::Subfolder &subfolder = model.at(index);
    if (subfolder.state != ChartModel::State::Done || subfolder.notAnswering)
        return std::nullopt;
    const std::optional<qint64> before = model.comparison().bytesBefore(subfolder.path);
    return before ? subfolder.bytes - *before : subfolder.bytes;
}

QString ChangeText(const ChartModel &model, int index)
{
    const std::optional<qint64> change = ChangeBytes(model, index);
    if (!change)
        return {};
    const ChartComparison &comparison = model.comparison();
    if (!comparison.bytesBefore(model.at(index).path))
        return QCoreApplication::translate("Chart", "new");
    const QString day = ChangeDay(comparison.when());
    if (*change > 0)
        return QCoreApplication::translate("Chart", "+%1 since %2")
            .arg(SliceSizeText(*change), day);
    if (*change < 0)
        return QCoreApplication::translate("Chart", "-%1 since %2")
            .arg(SliceSizeText(-*change), day);
    return QCoreApplication::translate("Chart", "no change since %1").arg(day);
}

QString LegendChangeText(const ChartModel &model, int index)
{
    if (ChangeBytes(model, index) == 0 && model.comparison().bytesBefore(model.at(index).path))
        return QCoreApplication::translate("Chart", "no change");
    return ChangeText(model, index);
}

QString LegendChangeAmount(const ChartModel &model, int index)
{
    const std::optional<qint64> change = ChangeBytes(model, index);
    if (!change || !model.comparison().bytesBefore(model.at(index).path))
        return LegendChangeText(model, index);
    if (*change > 0)
        return QStringLiteral("+") + SliceSizeText(*change);
    if (*change < 0)
        return QStringLiteral("-") + SliceSizeText(-*change);
    return LegendChangeText(model, index);
}

QString GoneText(const ChartComparison &comparison)
{
    return QCoreApplication::translate("Chart", "gone since %1").arg(ChangeDay(comparison.when()));
}

QString GoneAmount()
{
    return QCoreApplication::translate("Chart", "gone");
}

QString FittedChangeText(const QFontMetrics &metrics, int room, const QString &whole,
                         const QString &amount)
{
    if (metrics.horizontalAdvance(whole) <= room)
        return whole;
    return metrics.elidedText(amount, Qt::ElideRight, room);
}

QList<ChartComparison::Subfolder> GoneSubfolders(const ChartModel &model)
{
    QList<ChartComparison::Subfolder> gone;
    if (!model.comparison().isSet())
        return gone;
    QSet<QByteArray> listed;
    listed.reserve(model.count());
    for (int i = 0; i < model.count(); ++i)
        listed.insert(model.at(i).path);
    for (const ChartComparison::Subfolder &subfolder : model.comparison().subfolders())
        if (!listed.contains(subfolder.path))
            gone.append(subfolder);
    return gone;
}
