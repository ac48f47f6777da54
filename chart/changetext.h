#pragma once

#include "chart/chartcomparison.h"

#include <QDate>
#include <QList>
#include <QString>
#include <optional>

class ChartModel;
class QFontMetrics;

// What the chart says of a subfolder's change since the look it is compared with. Only the
// legend, the tooltips and the pie's ring show it: the side text, the exports and the command
// line's outputs never do.

// The day of the look compared with: "3 Dec", with its year when that is not today's.
QString ChangeDay(const QDateTime &when, const QDate &today = QDate::currentDate());

// "+1.50 KB since 3 Dec", "-512 Bytes since 3 Dec", "no change since 3 Dec", or "new" for a
// subfolder the look did not have. Empty without a comparison, while the subfolder is not
// sized, and when it did not answer in time (only part of it was read).
QString ChangeText(const ChartModel &model, int index);

// ChangeText as the legend's rows show it, where room is short: "no change" without its day
// (the other rows and the tooltip say it).
QString LegendChangeText(const ChartModel &model, int index);

// LegendChangeText without its day, for a row too narrow for all of it: "+1.50 KB",
// "-512 Bytes", "no change" or "new"; empty where ChangeText is.
QString LegendChangeAmount(const ChartModel &model, int index);

// "gone since 3 Dec".
QString GoneText(const ChartComparison &comparison);
// GoneText without its day: "gone".
QString GoneAmount();

// What a legend row shows of a change in room pixels: the whole text when it fits, else the
// amount alone rather than a day cut in half (the tooltip still gives the day), cut short only
// when even the amount does not fit.
QString FittedChangeText(const QFontMetrics &metrics, int room, const QString &whole,
                         const QString &amount);

// The change in bytes of subfolder index since the look compared with; for a new one, its
// whole size. None where ChangeText is empty.
std::optional<qint64> ChangeBytes(const ChartModel &model, int index);

// The subfolders of the look compared with that the model no longer lists, in the look's order.
QList<ChartComparison::Subfolder> GoneSubfolders(const ChartModel &model);
