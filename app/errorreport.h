#pragma once

#include "platform/messagebox.h"

#include <QString>

// The box in which the command handlers report a failing step: what failed, which handler
// and step, and whom to send a screenshot.

// Location texts of the three command handlers; the trailing blank belongs to them.
namespace ErrorLocation {
inline const QString PushButton1_Click =
    QStringLiteral("in Quorvane7/29/2014.Form1.PushButton1_Click ");
inline const QString PushButton2_Click =
    QStringLiteral("in Quorvane7/29/2014.Form1.PushButton2_Click ");
inline const QString PushButton3_Click =
    QStringLiteral("in Quorvane7/29/2014.Form1.PushButton3_Click ");
} // namespace ErrorLocation

// The box's title, in the window's language ("Application Error" in English).
QString ErrorReportTitle();

// A runtime error's description, raised in English, in the window's language: the whole of a
// fixed description, or the kind of error before its details (paths, the system's words),
// which stay as they are.
QString TranslatedErrorDescription(const QString &description);

// Description, CR LF, location, "at line ", step, CR CR, the request to send a screenshot.
QString ErrorReportText(const QString &description, const QString &location, int step);

// Shows the report as a modal warning box with one OK button; returns when it is dismissed.
void ErrorReportBox(MessageBox &box, const QString &description, const QString &location, int step);
