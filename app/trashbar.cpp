#include "app/trashbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TrashBar::TrashBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TrashBar"));
    m_text = new QLabel(this);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_undo = new QPushButton(tr("Undo"), this);
    m_close = new QPushButton(tr("Close"), this);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_undo);
    layout->addWidget(m_close);
    connect(m_undo, &QPushButton::clicked, this, &TrashBar::undoRequested);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void TrashBar::say(const QString &text, bool undoable)
{
    m_text->setText(text);
    m_undo->setVisible(undoable);
    m_undo->setEnabled(undoable);
    show();
}

QString TrashBar::text() const
{
    return isHidden() ? QString() : m_text->text();
}
