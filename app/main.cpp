#include "app/form1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    // On Linux QApplication sets the C locale from the environment (setlocale(LC_ALL, "")),
    // which the size texts rely on for their decimal separator.
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setDesktopFileName(QStringLiteral("quorvane"));

    Form1 form;
    form.Form_Load();
    if (form.ending())
        return 0;
    form.show();
    return QApplication::exec();
}
