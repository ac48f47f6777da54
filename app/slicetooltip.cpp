#include "app/slicetooltip.h"

#include "app/chartdata.h"
#include "app/slicetext.h"

#include <QLocale>

namespace {
const QString Measuring = QStringLiteral("Getting folder size...");
} // namespace

QString SliceToolTip(const ChartData &data, int index)
{
    if (index < 0 || index >= data.count())
        return {};
    const ChartData::Slice &slice = data.at(index);
    const QString name = slice.name.isEmpty() ? slice.label : slice.name;
    if (slice.label == Measuring)
        return name + u'\n' + Measuring;
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions); // digits grouped in every locale
    bool whole = false;
    const qlonglong bytes = slice.valueText.trimmed().toLongLong(&whole);
    const QString exact =
        whole ? locale.toString(bytes) : slice.valueText.trimmed(); // as given, when not whole
    const QString sizeText = whole ? SliceSizeText(SizeAmount::fromBytes(std::clamp<qlonglong>(
                                         bytes, SizeAmount::MinBytes, SizeAmount::MaxBytes)))
                                   : QString();
    const double share = data.total() > 0 ? slice.value / data.total() * 100.0 : 0.0;
    QString text = name + u'\n';
    text += sizeText.isEmpty()
                ? exact + QStringLiteral(" bytes")
                : sizeText + QStringLiteral(" (") + exact + QStringLiteral(" bytes)");
    text += u'\n';
    if (share > 0 && share < 0.05)
        text += QStringLiteral("less than ") + locale.toString(0.1, 'f', 1);
    else
        text += locale.toString(share, 'f', share == 0 ? 0 : 1);
    text += QStringLiteral("% of the total");
    return text;
}
