#include "chart/slicetooltip.h"

#include "chart/changetext.h"
#include "chart/chartmodel.h"
#include "chart/slicetext.h"

#include <QCoreApplication>
#include <QLocale>

QString SliceToolTip(const ChartModel &model, int index)
{
    if (index < 0 || index >= model.shownCount())
        return {};
    const ChartModel::Subfolder &slice = model.at(index);
    if (slice.state != ChartModel::State::Done)
        return slice.name + u'\n' + GettingFolderSize();
    if (slice.notAnswering)
        return slice.name + u'\n' +
               QCoreApplication::translate("Chart", "Not answering: %1 could be read\nCharting "
                                                    "the folder again asks it again")
                   .arg(SliceSizeText(slice.bytes));
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions); // digits grouped in every locale
    const double share =
        model.total() > 0 ? double(std::max<qint64>(slice.bytes, 0)) / double(model.total()) * 100.0
                          : 0.0;
    QString text = slice.name + u'\n' +
                   QCoreApplication::translate("Chart", "%1 (%2 bytes)")
                       .arg(SliceSizeText(slice.bytes), locale.toString(slice.bytes)) +
                   u'\n';
    if (share > 0 && share < 0.05)
        text += QCoreApplication::translate("Chart", "less than %1% of the total")
                    .arg(locale.toString(0.1, 'f', 1));
    else
        text += QCoreApplication::translate("Chart", "%1% of the total")
                    .arg(locale.toString(share, 'f', share == 0 ? 0 : 1));
    if (const QString change = ChangeText(model, index); !change.isEmpty())
        text += u'\n' + change;
    return text;
}

QString GoneToolTip(const ChartComparison &comparison, const ChartComparison::Subfolder &gone)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::DefaultNumberOptions);
    return gone.name + u'\n' + GoneText(comparison) + u'\n' +
           QCoreApplication::translate("Chart", "%1 (%2 bytes)")
               .arg(SliceSizeText(gone.bytes), locale.toString(gone.bytes));
}
