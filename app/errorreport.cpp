#include "app/errorreport.h"

#include "app/makerinfo.h"

QString ErrorReportText(const QString &description, const QString &location, int step)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") +
           QString::number(step) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + SupportAddress;
}

void ErrorReportBox(MessageBox &box, const QString &description, const QString &location, int step)
{
    box.show(ErrorReportText(description, location, step), ErrorReportTitle,
             MessageBox::Icon::Warning);
}
