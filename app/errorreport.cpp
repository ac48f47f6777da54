#include "app/errorreport.h"

#include "app/makerinfo.h"

#include <QCoreApplication>

namespace {

// The kinds of runtime error the program raises, as their descriptions begin.
const char *const ErrorKinds[] = {
    QT_TRANSLATE_NOOP("RuntimeError", "Path not found"),
    QT_TRANSLATE_NOOP("RuntimeError", "Permission denied"),
    QT_TRANSLATE_NOOP("RuntimeError", "Device I/O error"),
    QT_TRANSLATE_NOOP("RuntimeError", "Path/File access error"),
    QT_TRANSLATE_NOOP("RuntimeError", "Disk full"),
    QT_TRANSLATE_NOOP("RuntimeError", "Bad file name"),
    QT_TRANSLATE_NOOP("RuntimeError", "Invalid picture"),
    QT_TRANSLATE_NOOP("RuntimeError", "Out of memory"),
    QT_TRANSLATE_NOOP("RuntimeError", "File not found"),
    QT_TRANSLATE_NOOP("RuntimeError", "Cannot save the image. GDI+ Error:"),
    QT_TRANSLATE_NOOP("RuntimeError", "Object variable not set"),
    QT_TRANSLATE_NOOP("RuntimeError", "Invalid procedure call or argument"),
    QT_TRANSLATE_NOOP("RuntimeError", "Object variable or With block variable not set"),
    QT_TRANSLATE_NOOP("RuntimeError", "Cannot create the spreadsheet application"),
    QT_TRANSLATE_NOOP("RuntimeError", "Cannot place the picture on the worksheet"),
    QT_TRANSLATE_NOOP("RuntimeError", "Type mismatch"),
    QT_TRANSLATE_NOOP("RuntimeError", "Overflow"),
    QT_TRANSLATE_NOOP("RuntimeError", "Invalid property value"),
    QT_TRANSLATE_NOOP("RuntimeError", "Element not found"),
    QT_TRANSLATE_NOOP("RuntimeError", "Key is not unique in collection"),
};

} // namespace

QString TranslatedErrorDescription(const QString &description)
{
    for (const char *kind : ErrorKinds) {
        const QLatin1String english(kind);
        // Whole words only: "Overflow" does not begin "Overflowing".
        if (description.startsWith(english) &&
            (description.size() == english.size() || !description.at(english.size()).isLetter()))
            return QCoreApplication::translate("RuntimeError", kind) +
                   description.mid(english.size());
    }
    return description;
}

QString ErrorReportTitle()
{
    return QCoreApplication::translate("ErrorReport", "Application Error");
}

QString ErrorReportText(const QString &description, const QString &location, int step)
{
    return TranslatedErrorDescription(description) + QStringLiteral("\r\n") + location +
           QCoreApplication::translate("ErrorReport", "at line ") + QString::number(step) +
           QStringLiteral("\r\r") +
           QCoreApplication::translate("ErrorReport",
                                       "Please email screenshot of this message to ") +
           SupportAddress;
}

void ErrorReportBox(MessageBox &box, const QString &description, const QString &location, int step)
{
    box.show(ErrorReportText(description, location, step), ErrorReportTitle(),
             MessageBox::Icon::Warning);
}
