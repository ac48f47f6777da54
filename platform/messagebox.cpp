#include "platform/messagebox.h"

#include <QMessageBox>

QString MessageBoxDisplayText(const QString &text)
{
    QString display = text;
    display.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    display.replace(u'\r', u'\n');
    return display;
}

void QtMessageBox::show(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(MessageBoxDisplayText(text));
    box.setStandardButtons(QMessageBox::Ok);
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::NoIcon:
        box.setIcon(QMessageBox::NoIcon);
        break;
    }
    box.exec();
}
