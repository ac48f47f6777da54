#include "platform/confirmbox.h"

#include <QMessageBox>
#include <QPushButton>

void QtConfirmBox::ask(const QString &text, const QString &title, const QString &goAhead,
                       std::function<void(bool)> answer)
{
    auto *box = new QMessageBox(m_parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(title);
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setIcon(QMessageBox::Question);
    QPushButton *ahead = box->addButton(goAhead, QMessageBox::AcceptRole);
    QPushButton *cancel = box->addButton(QMessageBox::Cancel);
    box->setDefaultButton(cancel);
    box->setEscapeButton(cancel);
    QObject::connect(
        box, &QMessageBox::finished, box,
        [box, ahead, answer = std::move(answer)](int) { answer(box->clickedButton() == ahead); });
    box->setWindowModality(m_parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->show();
}
