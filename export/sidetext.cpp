#include "export/sidetext.h"

QString sideTextFileText(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        text += line;
        text += QStringView(sideTextLineEnd);
    }
    return text;
}
